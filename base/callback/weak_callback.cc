#include "base/callback/weak_callback.h"

namespace nbase {

std::weak_ptr<WeakFlag> SupportWeakCallback::GetWeakFlag() {
  if (!weak_flag_) weak_flag_ = std::make_shared<WeakFlag>();
  return weak_flag_;
}

}  // namespace nbase
