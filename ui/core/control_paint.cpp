// ui::Control: painting, image drawing and the background image's frame playback.
#include "ui/core/control.h"

#include <algorithm>

#include "ui/core/global_manager.h"
#include "ui/core/timer_manager.h"
#include "ui/core/window.h"
#include "ui/render/auto_clip.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// SetBkImageFrame's index for "the last frame".
constexpr int kLastFrame = 65535;

bool HasRound(SIZE round) { return round.cx > 0 || round.cy > 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Paint entry

void Control::PaintWithClip(IRenderContext* context, const RECT& area) {
  if (!context) return;
  // The alpha is stored as given; painting reads it as the byte it stands for.
  const int alpha = std::clamp(alpha_, 0, 255);
  if (alpha == 0) return;
  RECT paint;
  if (!::IntersectRect(&paint, &area, &rect_)) return;

  if (alpha == 255 && !use_cache_) {
    PaintDirect(context, area);
    return;
  }

  // Cached or translucent: the control's own look goes through a bitmap of its own; its children
  // are painted straight into the context.
  if (!cache_render_context_) {
    IRenderFactory* factory = GlobalManager::GetRenderFactory();
    if (!factory) return;
    cache_render_context_ = factory->CreateRenderContext();
  }
  if (cache_render_context_->Resize(rect_.right - rect_.left, rect_.bottom - rect_.top))
    cache_dirty_ = true;
  if (cache_dirty_) PaintIntoCache(area);

  const int width = paint.right - paint.left, height = paint.bottom - paint.top;
  HDC cache = cache_render_context_->GetDC();
  const int sourceX = paint.left - rect_.left, sourceY = paint.top - rect_.top;
  if (alpha == 255) {
    context->AlphaBlend(paint.left, paint.top, width, height, cache, sourceX, sourceY, width,
                        height, 255);
    AutoClip clip(context, rect_, clip_to_position_);
    PaintChildren(context, area);
    return;
  }
  {
    AutoClip clip(context, rect_, clip_to_position_);
    PaintChildren(context, area);
  }
  context->AlphaBlend(paint.left, paint.top, width, height, cache, sourceX, sourceY, width, height,
                      static_cast<BYTE>(alpha));
  // A translucent control starts from a fresh bitmap at every paint.
  cache_render_context_.reset();
}

void Control::PaintDirect(IRenderContext* context, const RECT& area) {
  AutoClip clip(context, rect_, clip_to_position_);
  AutoClip roundClip(context, rect_, border_round_.cx, border_round_.cy, HasRound(border_round_));
  const bool offset = render_offset_.x != 0 || render_offset_.y != 0;
  const POINT origin = offset ? context->OffsetWindowOrg(render_offset_) : POINT{0, 0};
  Paint(context, area);
  PaintChildren(context, area);
  if (offset) context->SetWindowOrg(origin);
}

void Control::PaintIntoCache(const RECT& /*area*/) {
  IRenderContext* cache = cache_render_context_.get();
  cache->Clear();
  const RECT own = {0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top};
  AutoClip clip(cache, own, clip_to_position_);
  AutoClip roundClip(cache, own, border_round_.cx, border_round_.cy, HasRound(border_round_));
  // Every image piece is blended, so the bitmap keeps the per-pixel alpha it is blended with.
  const bool wasTransparent = cache->SetRenderTransparent(true);
  const POINT origin = cache->OffsetWindowOrg(
      POINT{rect_.left + render_offset_.x, rect_.top + render_offset_.y});
  Paint(cache, rect_);
  cache->SetWindowOrg(origin);
  cache->SetRenderTransparent(wasTransparent);
  cache_dirty_ = false;
}

void Control::Paint(IRenderContext* context, const RECT& area) {
  if (!::IntersectRect(&paint_rect_, &area, &rect_)) return;
  PaintBkColor(context);
  PaintBkImage(context);
  PaintStateColor(context);
  PaintStateImage(context);
  PaintText(context);
  PaintBorder(context);
}

// ---------------------------------------------------------------------------------------------
// Paint steps

void Control::PaintBkColor(IRenderContext* context) {
  if (bk_color_.empty()) return;
  const DWORD color = GlobalManager::GetTextColor(bk_color_);
  if (color == 0) return;
  // An opaque colour covers only what is repainted; a translucent one is laid over the whole
  // control, so that partial repaints blend the same way as full ones.
  const bool opaque = (color >> 24) == 0xFF;
  context->FillRect(opaque ? paint_rect_ : rect_, color, 255);
}

void Control::PaintBkImage(IRenderContext* context) { DrawImage(context, bk_image_); }

void Control::PaintStateColor(IRenderContext* context) {
  state_colors_.PaintStateColor(context, paint_rect_, state_);
}

void Control::PaintStateImage(IRenderContext* context) {
  state_images_.PaintStateImage(context, kStateImageBk, state_);
  state_images_.PaintStateImage(context, kStateImageFore, state_);
}

void Control::PaintBorder(IRenderContext* context) {
  if (border_color_.empty()) return;
  const DWORD color = GlobalManager::GetTextColor(border_color_);
  if (color == 0) return;
  const RECT& r = rect_;
  const RECT& sides = border_sizes_;
  if (sides.left > 0 || sides.top > 0 || sides.right > 0 || sides.bottom > 0) {
    // One line per side, on the middle of its strip; a 1-pixel line ends a pixel short, since
    // it covers both of its end points.
    if (sides.left > 0) {
      const int x = r.left + sides.left / 2;
      const int bottom = sides.left == 1 ? r.bottom - 1 : r.bottom;
      context->DrawLine(RECT{x, r.top, x, bottom}, sides.left, color);
    }
    if (sides.top > 0) {
      const int y = r.top + sides.top / 2;
      const int right = sides.top == 1 ? r.right - 1 : r.right;
      context->DrawLine(RECT{r.left, y, right, y}, sides.top, color);
    }
    if (sides.right > 0) {
      const int x = r.right - (sides.right + 1) / 2;
      const int bottom = sides.right == 1 ? r.bottom - 1 : r.bottom;
      context->DrawLine(RECT{x, r.top, x, bottom}, sides.right, color);
    }
    if (sides.bottom > 0) {
      const int y = r.bottom - (sides.bottom + 1) / 2;
      const int right = sides.bottom == 1 ? r.right - 1 : r.right;
      context->DrawLine(RECT{r.left, y, right, y}, sides.bottom, color);
    }
    return;
  }
  const int d = border_size_;
  if (d < 1) return;
  // The outline's pen runs on the middle of a d-wide strip inside the position.
  RECT outline = {r.left + d / 2, r.top + d / 2, r.right - d / 2, r.bottom - d / 2};
  if (d % 2 == 1) {
    outline.right -= 1;
    outline.bottom -= 1;
  }
  if (HasRound(border_round_))
    context->DrawRoundRect(outline, border_round_, d, color);
  else
    context->DrawRect(outline, d, color);
}

// ---------------------------------------------------------------------------------------------
// Images

bool Control::LoadImage(Image& image) { return image.Load(GetResourcePath()); }

bool Control::DrawImage(IRenderContext* context, Image& image, const std::wstring& modify,
                        int fade) {
  if (image.GetAttribute().file.empty()) return false;
  if (!LoadImage(image)) {
    image.GetAttribute().Reset();  // Unset from now on: later draws fall back at once.
    return false;
  }
  // An animated background image starts its playback at the first drawing of the control,
  // whichever image that draws; that one call draws nothing.
  const std::shared_ptr<ImageInfo>& bkInfo = bk_image_.GetImageInfo();
  if (bkInfo && bkInfo->GetFrameCount() > 1 && bk_auto_play_ && !bk_image_.IsPlaying()) {
    AdvanceBkImageFrame();
    return true;
  }
  return image.Draw(context, paint_rect_, rect_, modify, fade, GetResourcePath());
}

void Control::AdvanceBkImageFrame() {
  const std::shared_ptr<ImageInfo>& info = bk_image_.GetImageInfo();
  const int frames = info ? static_cast<int>(info->GetFrameCount()) : 0;
  const int playCount = bk_image_.GetAttribute().playCount;
  // 1. Nothing (more) to play.
  if (frames < 2 || (playCount == 0 && !bk_image_.IsPlaying()) ||
      (playCount > 0 && bk_image_.GetCompletedPlays() >= playCount)) {
    bk_image_.SetPlaying(false);
    bk_play_flag_.Cancel();
    return;
  }
  TimerManager* timers = TimerManager::GetInstance();
  auto startTimer = [this, timers](int interval) {
    return timers && timers->AddCancelableTimer(bk_play_flag_.GetWeakFlag(),
                                                [this] { AdvanceBkImageFrame(); },
                                                static_cast<UINT>(interval),
                                                TimerManager::kRepeatForever);
  };

  // 2. Start: frame 0 for its interval.
  if (!bk_image_.IsPlaying()) {
    bk_image_.SetCurrentFrame(0);
    bk_play_flag_.Cancel();
    const int interval = bk_image_.GetFrameInterval();
    if (interval == 0) return;
    bk_image_.SetPlaying(true);
    if (!startTimer(interval)) bk_image_.SetPlaying(false);
    Invalidate();
    return;
  }

  // 3. Next frame; the timer is re-armed only when the interval changes.
  const int before = bk_image_.GetFrameInterval();
  int next = bk_image_.GetCurrentFrame() + 1;
  if (next >= frames) {
    next = 0;
    bk_image_.SetCompletedPlays(bk_image_.GetCompletedPlays() + 1);
  }
  bk_image_.SetCurrentFrame(next);
  const int after = bk_image_.GetFrameInterval();
  if (playCount > 0 && bk_image_.GetCompletedPlays() >= playCount) {
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    StopBkImageAnimation();
    if (!alive.expired()) Invalidate();
    return;
  }
  if (before == 0 || after == 0) {
    bk_image_.SetPlaying(false);
    bk_play_flag_.Cancel();
    return;
  }
  if (before != after) {
    bk_play_flag_.Cancel();
    if (!startTimer(after)) bk_image_.SetPlaying(false);
  }
  Invalidate();
}

void Control::StopBkImagePlayback() {
  const std::shared_ptr<ImageInfo>& info = bk_image_.GetImageInfo();
  if (!info || info->GetFrameCount() <= 1) return;
  bk_image_.SetPlaying(false);
  bk_play_flag_.Cancel();
  Invalidate();
}

void Control::SetBkImageFrame(int index) {
  const std::shared_ptr<ImageInfo>& info = bk_image_.GetImageInfo();
  if (!info || info->GetFrameCount() <= 1) return;
  bk_image_.SetPlaying(false);
  bk_play_flag_.Cancel();
  const int last = static_cast<int>(info->GetFrameCount()) - 1;
  if (index == -1)
    index = bk_image_.GetCurrentFrame();
  else if (index == kLastFrame)
    index = last;
  bk_image_.SetCurrentFrame(std::clamp(index, 0, last));
  Invalidate();
}

void Control::StopBkImageAnimation() {
  bk_auto_play_ = false;
  SetBkImageFrame(kLastFrame);
  EventArgs args;
  args.type = kEventNone;
  InvokeEventCallbacks(bk_image_stop_callbacks_, args, GetWeakFlag());
}

void Control::LoadBkImage() {
  if (deferred_flag_.HasUsed()) return;
  if (!bk_image_.GetAttribute().file.empty()) bk_image_.Load(GetResourcePath());
}

void Control::UnloadBkImage() {
  deferred_flag_.Cancel();
  bk_play_flag_.Cancel();
  bk_image_.ClearCache();
}

void Control::ClearImageCache() {
  state_images_.ClearCache();
  bk_play_flag_.Cancel();
  bk_image_.ClearCache();
}

}  // namespace ui
