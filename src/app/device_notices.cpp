#include "app/device_notices.h"

namespace velmora {

namespace {

struct Notice {
  std::string_view detail;
  const char* text;
};
constexpr Notice kNotices[] = {
    {"serial lost", "VMマスコンとの接続が切れました。力行を切り、再接続を待っています"},
    {"serial back", "VMマスコンに再接続しました"},
    {"pad lost", "コントローラが外されました。力行を切りました"},
    {"pad back", "コントローラを再接続しました"},
    {"sound lost", "サウンドデバイスが失われました。音なしで運転を続けます"},
    {"sound back", "サウンドデバイスを開き直しました"},
    {"film lost",
     "映像ファイルを読めません。最後の画面のまま運転を続けます（駅ジャンプで開き直します）"},
    {"film back", "映像ファイルを開き直しました"},
    {"settings lost",
     "設定を保存できません（ディスクの空きと書き込み権限を確かめてください）。前の設定はそのまま"
     "です"},
    {"settings back", "設定を保存しました"},
};

}  // namespace

std::string device_notice(std::string_view detail) {
  for (const Notice& n : kNotices)
    if (n.detail == detail) return n.text;
  return {};
}

std::string device_notice_texts() {
  std::string all;
  for (const Notice& n : kNotices) all += n.text;
  return all;
}

std::string DeviceNotices::take(std::string_view detail) {
  std::string text = device_notice(detail);
  const std::size_t blank = detail.find(' ');
  if (text.empty() || blank == std::string_view::npos) return text;
  const std::string_view device = detail.substr(0, blank);
  if (detail.substr(blank + 1) == "lost")
    lost_.insert_or_assign(std::string(device), text);
  else if (const auto at = lost_.find(device); at != lost_.end())
    lost_.erase(at);
  return text;
}

std::string DeviceNotices::standing() const {
  std::string line;
  for (const auto& [device, text] : lost_) line += (line.empty() ? "" : "　") + text;
  return line;
}

void watch_sound_device(SoundDevice& device, EventSink& events, SoundWatch& watch,
                        std::int64_t now_ms) {
  if (!watch.lost) {
    if (device.connected()) return;
    watch.lost = true;
    watch.retry_at_ms = now_ms;  // a device often comes back at once under another name
    events.event("device", "sound lost");
  }
  if (now_ms < watch.retry_at_ms) return;
  if (device.reopen()) {
    watch.lost = false;
    events.event("device", "sound back");
  } else {
    watch.retry_at_ms = now_ms + SoundWatch::kRetryMs;
  }
}

}  // namespace velmora
