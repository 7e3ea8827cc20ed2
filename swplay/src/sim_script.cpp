#include "swplay/src/sim_script.h"

#include <cerrno>
#include <cstdlib>

namespace swplay_internal {
namespace {

std::string PercentDecode(const std::string& in) {
  std::string out;
  out.reserve(in.size());
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%' && i + 2 < in.size()) {
      int hi = hex(in[i + 1]), lo = hex(in[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(in[i]);
  }
  return out;
}

bool ParseInt(const std::string& text, int* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < -2147483647L - 1 || v > 2147483647L) return false;
  *out = static_cast<int>(v);
  return true;
}

// Splits at the first `n - 1` colons; the last field keeps any further colons.
std::vector<std::string> SplitFields(const std::string& text, size_t n) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() + 1 < n) {
    size_t colon = text.find(':', start);
    if (colon == std::string::npos) break;
    fields.push_back(text.substr(start, colon - start));
    start = colon + 1;
  }
  fields.push_back(text.substr(start));
  return fields;
}

bool ParseSize(const std::string& text, int* w, int* h) {
  size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int pw = 0, ph = 0;
  if (!ParseInt(text.substr(0, x), &pw) || !ParseInt(text.substr(x + 1), &ph)) return false;
  if (pw <= 0 || ph <= 0 || pw > 8192 || ph > 8192) return false;
  *w = pw;
  *h = ph;
  return true;
}

bool HexBytes(const std::string& hex, std::string* out) {
  if (hex.size() % 2 != 0) return false;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    char* end = nullptr;
    std::string pair = hex.substr(i, 2);
    long v = std::strtol(pair.c_str(), &end, 16);
    if (*end != '\0') return false;
    bytes.push_back(static_cast<char>(v));
  }
  *out = std::move(bytes);
  return true;
}

bool ParseOutcome(const std::string& text, Outcome* out) {
  if (text == "ok") {
    *out = Outcome{Outcome::Kind::kConnect, 0};
    return true;
  }
  if (text == "silent") {
    *out = Outcome{Outcome::Kind::kSilent, 0};
    return true;
  }
  if (text.rfind("fail:", 0) == 0) {
    int code = 0;
    if (!ParseInt(text.substr(5), &code)) return false;
    *out = Outcome{Outcome::Kind::kFail, code};
    return true;
  }
  return false;
}

}  // namespace

Outcome Script::OutcomeFor(int attempt) const {
  if (plan.empty()) return Outcome{};
  size_t index = attempt < 1 ? 0 : static_cast<size_t>(attempt - 1);
  return index < plan.size() ? plan[index] : plan.back();
}

int Script::BlockFor(const char* operation) const {
  auto it = blockMs.find(operation);
  return it == blockMs.end() ? 0 : it->second;
}

bool ParseTimedItem(const std::string& item, TimedItem* out) {
  size_t eq = item.find('=');
  if (eq == std::string::npos) return false;
  const std::string key = item.substr(0, eq);
  const std::string value = PercentDecode(item.substr(eq + 1));
  TimedItem t;
  if (key == "drop") {
    auto f = SplitFields(value, 3);
    if (f.size() < 2 || !ParseInt(f[0], &t.delayMs) || !ParseInt(f[1], &t.a)) return false;
    if (f.size() == 3 && !ParseInt(f[2], &t.limit)) return false;
    t.kind = TimedItem::Kind::kDrop;
  } else if (key == "clip" || key == "cliphex") {
    auto f = SplitFields(value, 2);
    if (f.size() < 2 || !ParseInt(f[0], &t.delayMs)) return false;
    if (key == "clip") {
      t.text = "{\"content\":\"" + f[1] + "\"}";
    } else if (!HexBytes(f[1], &t.text)) {
      return false;
    }
    t.kind = TimedItem::Kind::kClipboard;
  } else if (key == "control") {
    auto f = SplitFields(value, 3);
    if (f.size() < 3 || !ParseInt(f[0], &t.delayMs) || !ParseInt(f[1], &t.a) ||
        !ParseInt(f[2], &t.b)) {
      return false;
    }
    t.kind = TimedItem::Kind::kControl;
  } else if (key == "perror") {
    auto f = SplitFields(value, 3);
    if (f.size() < 2 || !ParseInt(f[0], &t.delayMs) || !ParseInt(f[1], &t.a)) return false;
    if (f.size() == 3) {
      t.hasText = true;
      t.text = f[2];
    }
    t.kind = TimedItem::Kind::kPlayerError;
  } else if (key == "notices") {
    if (!ParseInt(value, &t.a) || t.a < 0) return false;
    t.kind = TimedItem::Kind::kNotices;
  } else {
    return false;
  }
  if (t.delayMs < 0) t.delayMs = 0;
  *out = std::move(t);
  return true;
}

Script ParseScript(const std::string& token) {
  Script s;
  size_t start = 0;
  while (start <= token.size()) {
    size_t semi = token.find(';', start);
    std::string item =
        token.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    start = semi == std::string::npos ? token.size() + 1 : semi + 1;
    size_t eq = item.find('=');
    if (eq == std::string::npos) continue;  // a label
    const std::string key = item.substr(0, eq);
    const std::string value = PercentDecode(item.substr(eq + 1));
    int n = 0;
    if (key == "connect") {
      if (ParseInt(value, &n) && n >= 0) s.connectDelayMs = n;
    } else if (key == "plan") {
      std::vector<Outcome> plan;
      size_t p = 0;
      bool ok = true;
      while (p <= value.size()) {
        size_t comma = value.find(',', p);
        std::string one =
            value.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
        Outcome o;
        if (!ParseOutcome(one, &o)) {
          ok = false;
          break;
        }
        plan.push_back(o);
        p = comma == std::string::npos ? value.size() + 1 : comma + 1;
      }
      if (ok) s.plan = std::move(plan);
    } else if (key == "notices") {
      if (ParseInt(value, &n) && n >= 0) s.notices = n;
    } else if (key == "size") {
      ParseSize(value, &s.forcedWidth, &s.forcedHeight);
    } else if (key == "native") {
      ParseSize(value, &s.nativeWidth, &s.nativeHeight);
    } else if (key == "linger") {
      if (ParseInt(value, &n)) s.linger = n != 0;
    } else if (key == "fps") {
      if (ParseInt(value, &n) && n > 0) s.fps = n > 240 ? 240 : n;
    } else if (key == "token") {
      ParseInt(value, &s.tokenResult);
    } else if (key == "audio") {
      ParseInt(value, &s.audioResult);
    } else if (key == "change") {
      ParseInt(value, &s.changeResult);
    } else if (key == "level") {
      auto f = SplitFields(value, 3);
      int ret = 0, w = 0, h = 0;
      if (!f.empty() && ParseInt(f[0], &ret)) {
        s.levelResult = ret;
        if (f.size() == 3 && ParseInt(f[1], &w) && ParseInt(f[2], &h)) {
          s.levelHasSize = true;
          s.levelWidth = w;
          s.levelHeight = h;
        }
      }
    } else if (key == "block") {
      auto f = SplitFields(value, 2);
      if (f.size() == 2 && ParseInt(f[1], &n) && n >= 0) s.blockMs[f[0]] = n;
    } else {
      TimedItem t;
      if (ParseTimedItem(item, &t)) s.afterConnect.push_back(std::move(t));
    }
  }
  return s;
}

}  // namespace swplay_internal
