#include "aac_decoding.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace mic_test {
namespace {

constexpr int kAdtsHeaderBytes = 7;
constexpr DWORD kDecodeTimeoutMs = 30000;

// Wine's own exports for crossing between Windows and Unix paths; absent on Windows.
using UnixFileNameFunction = char*(CDECL*)(LPCWSTR);
using DosFileNameFunction = WCHAR*(CDECL*)(LPCSTR);

template <typename Function>
Function WineExport(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

bool ToUnixPath(const std::wstring& windowsPath, std::string* unixPath) {
  const auto convert = WineExport<UnixFileNameFunction>("wine_get_unix_file_name");
  if (convert == nullptr) return false;
  char* converted = convert(windowsPath.c_str());
  if (converted == nullptr) return false;
  *unixPath = converted;
  HeapFree(GetProcessHeap(), 0, converted);
  return true;
}

bool ToDosPath(const char* unixPath, std::wstring* dosPath) {
  const auto convert = WineExport<DosFileNameFunction>("wine_get_dos_file_name");
  if (convert == nullptr) return false;
  WCHAR* converted = convert(unixPath);
  if (converted == nullptr) return false;
  *dosPath = converted;
  HeapFree(GetProcessHeap(), 0, converted);
  return true;
}

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());  // paths and arguments here are ASCII
}

class TempFile {
 public:
  TempFile() {
    wchar_t folder[MAX_PATH];
    wchar_t file[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) != 0 && GetTempFileNameW(folder, L"aac", 0, file) != 0) path_ = file;
  }
  ~TempFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::wstring& path() const { return path_; }
  bool Write(const std::vector<std::uint8_t>& bytes) const {
    const HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
  }

 private:
  std::wstring path_;
};

class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockSession() {
    if (ok_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

struct SocketCloser {
  void operator()(SOCKET* s) const {
    closesocket(*s);
    delete s;
  }
};
using UniqueSocket = std::unique_ptr<SOCKET, SocketCloser>;

UniqueSocket MakeSocket(SOCKET s) { return UniqueSocket(s == INVALID_SOCKET ? nullptr : new SOCKET(s)); }

// A loopback listener on a port the system picks.
UniqueSocket Listen(int* port) {
  UniqueSocket listener = MakeSocket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!listener) return nullptr;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(*listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(*listener, 1) != 0 ||
      getsockname(*listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return nullptr;
  }
  *port = ntohs(address.sin_port);
  return listener;
}

UniqueSocket AcceptWithin(SOCKET listener, DWORD timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(listener, &readable);
  timeval timeout{static_cast<long>(timeoutMs / 1000), 0};
  if (select(0, &readable, nullptr, nullptr, &timeout) != 1) return nullptr;
  return MakeSocket(accept(listener, nullptr, nullptr));
}

bool StartUnixCommand(const std::string& script) {
  std::wstring shell;
  if (!ToDosPath("/bin/bash", &shell)) return false;
  std::wstring commandLine = L"/bin/bash -c \"" + Widen(script) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

std::vector<std::uint8_t> AdtsFrame(const std::vector<std::uint8_t>& accessUnit) {
  const std::size_t length = accessUnit.size() + kAdtsHeaderBytes;
  constexpr unsigned kProfileLc = 1;  // audio object type 2, less one
  constexpr unsigned kRateIndex48k = 3;
  constexpr unsigned kMonoChannels = 1;
  std::vector<std::uint8_t> frame(length);
  frame[0] = 0xFF;  // sync word, MPEG-4, layer 0, no CRC
  frame[1] = 0xF1;
  frame[2] = static_cast<std::uint8_t>((kProfileLc << 6) | (kRateIndex48k << 2) | (kMonoChannels >> 2));
  frame[3] = static_cast<std::uint8_t>(((kMonoChannels & 3) << 6) | ((length >> 11) & 0x03));
  frame[4] = static_cast<std::uint8_t>((length >> 3) & 0xFF);
  frame[5] = static_cast<std::uint8_t>(((length & 0x07) << 5) | 0x1F);
  frame[6] = 0xFC;  // buffer fullness 0x7FF (variable), one raw data block
  std::copy(accessUnit.begin(), accessUnit.end(), frame.begin() + kAdtsHeaderBytes);
  return frame;
}

bool DecodeAdtsWithFfmpeg(const std::vector<std::uint8_t>& adts, std::vector<std::int16_t>* pcm,
                          std::string* error) {
  pcm->clear();
  WinsockSession winsock;
  TempFile input;
  std::string inputPath;
  if (!winsock.ok() || input.path().empty() || !input.Write(adts)) {
    *error = "cannot set up the decode";
    return false;
  }
  if (!ToUnixPath(input.path(), &inputPath)) {
    *error = "not running under Wine: ffmpeg is reached as a Unix program";
    return false;
  }
  int port = 0;
  UniqueSocket listener = Listen(&port);
  if (!listener) {
    *error = "cannot listen on the loopback interface";
    return false;
  }

  const char* configured = std::getenv("FERNHOLD_FFMPEG");
  const std::string ffmpeg = configured != nullptr && *configured != '\0' ? configured : "/usr/bin/ffmpeg";
  const std::string script = "exec '" + ffmpeg + "' -nostdin -hide_banner -loglevel error -f aac -i '" +
                             inputPath + "' -f s16le -ac 1 -ar 48000 - > /dev/tcp/127.0.0.1/" +
                             std::to_string(port);
  if (!StartUnixCommand(script)) {
    *error = "cannot start /bin/bash";
    return false;
  }
  UniqueSocket connection = AcceptWithin(*listener, kDecodeTimeoutMs);
  if (!connection) {
    *error = "ffmpeg did not connect back";
    return false;
  }
  const DWORD timeout = kDecodeTimeoutMs;
  setsockopt(*connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));

  std::vector<std::uint8_t> bytes;
  char buffer[65536];
  for (;;) {
    const int received = recv(*connection, buffer, sizeof(buffer), 0);
    if (received == 0) break;
    if (received < 0) {
      *error = "reading ffmpeg's output failed";
      return false;
    }
    bytes.insert(bytes.end(), buffer, buffer + received);
  }
  if (bytes.size() < 2) {
    *error = "ffmpeg decoded nothing";
    return false;
  }
  pcm->resize(bytes.size() / 2);
  for (std::size_t i = 0; i < pcm->size(); ++i) {
    (*pcm)[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return true;
}

}  // namespace mic_test
