#include "flutter/plugins/registration_record.h"

#include <cstdio>
#include <mutex>
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
  std::printf("[plugins] registered %s\n", plugin_name);
  std::fflush(stdout);
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
