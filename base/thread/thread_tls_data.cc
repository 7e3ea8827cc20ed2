#include "base/thread/thread_tls_data.h"

namespace nbase {
namespace internal {
namespace {

thread_local ThreadTlsData* t_thread_data = nullptr;

}  // namespace

ThreadTlsData* ThreadTlsData::Current() { return t_thread_data; }

ScopedThreadTlsData::ScopedThreadTlsData(ThreadTlsData* data) { t_thread_data = data; }

ScopedThreadTlsData::~ScopedThreadTlsData() { t_thread_data = nullptr; }

}  // namespace internal
}  // namespace nbase
