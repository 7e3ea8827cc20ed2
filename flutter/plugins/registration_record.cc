#include "flutter/plugins/registration_record.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Registration {
  const char* name;  // Lives until process exit.
  FlutterDesktopPluginRegistrarRef registrar;
};

struct Record {
  std::mutex mutex;
  std::vector<Registration> registrations;
};

Record& TheRecord() {
  static Record record;
  return record;
}

}  // namespace

void OutsidePluginsRecordRegistration(const char* plugin_name,
                                      FlutterDesktopPluginRegistrarRef registrar) {
  Record& record = TheRecord();
  std::lock_guard<std::mutex> lock(record.mutex);
  record.registrations.push_back({plugin_name, registrar});
  // Left in the stream's buffer: the host registers its plug-ins one after another on the way to
  // its first frame, and under Wine each write to a pipe is a round trip to the server. The lines
  // go out with the next flush of standard output (the engine flushes each line it writes). One
  // fwrite per line, which keeps it whole beside other threads' lines; Wine's C runtime writes
  // each printf to standard output at once.
  const std::string line =
      std::string("[plugins] registered ") + (plugin_name ? plugin_name : "") + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

size_t OutsidePluginsRegistrationCount(void) {
  Record& record = TheRecord();
  std::lock_guard<std::mutex> lock(record.mutex);
  return record.registrations.size();
}

const char* OutsidePluginsRegistrationName(size_t index) {
  Record& record = TheRecord();
  std::lock_guard<std::mutex> lock(record.mutex);
  return index < record.registrations.size() ? record.registrations[index].name : nullptr;
}

FlutterDesktopPluginRegistrarRef OutsidePluginsRegistrationRegistrar(size_t index) {
  Record& record = TheRecord();
  std::lock_guard<std::mutex> lock(record.mutex);
  return index < record.registrations.size() ? record.registrations[index].registrar : nullptr;
}
