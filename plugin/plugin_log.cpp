#include "plugin/plugin_log.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex& LogMutex() {
  static std::mutex* mutex = new std::mutex();  // outlives threads still logging at exit
  return *mutex;
}
std::function<void(const std::string&)>& Sink() {
  static auto* sink = new std::function<void(const std::string&)>();
  return *sink;
}
}  // namespace

void PluginLog(const std::string& line) {
  std::lock_guard<std::mutex> lock(LogMutex());
  if (Sink()) {
    Sink()(line);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::function<void(const std::string&)> SetPluginLogSink(
    std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> lock(LogMutex());
  std::function<void(const std::string&)> previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}
