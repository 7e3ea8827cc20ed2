#include "flutter/engine/engine_options.h"

#include <cwchar>
#include <vector>

namespace flutter {
namespace engine {

std::wstring GetEnvironment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::vector<wchar_t> buffer(size);
  const DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
  if (length == 0 || length >= size) return std::wstring();
  return std::wstring(buffer.data(), length);
}

EngineOptions EngineOptions::FromEnvironment() {
  EngineOptions options;
  const std::wstring failure = GetEnvironment(L"FERNHOLD_FLUTTER_FAIL");
  if (failure == L"engine") options.failure = Failure::kEngine;
  if (failure == L"view") options.failure = Failure::kView;
  const std::wstring no_frame = GetEnvironment(L"FERNHOLD_FLUTTER_NO_FRAME");
  options.produce_frames = no_frame.empty() || no_frame == L"0";
  const std::wstring dpi = GetEnvironment(L"FERNHOLD_FLUTTER_DPI");
  if (!dpi.empty()) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(dpi.c_str(), &end, 10);
    if (end && *end == L'\0' && value >= 48 && value <= 960) options.dpi_override = value;
  }
  options.scenario_path = GetEnvironment(L"FERNHOLD_FLUTTER_SCENARIO");
  return options;
}

}  // namespace engine
}  // namespace flutter
