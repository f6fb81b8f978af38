#include "tools/ulvofilter/progress_bar.h"

#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#define ULVO_ISATTY _isatty
#define ULVO_FILENO _fileno
#else
#include <unistd.h>
#define ULVO_ISATTY isatty
#define ULVO_FILENO fileno
#endif

namespace ulvo {
namespace {

// Set from the signal handler; a lock-free atomic is safe to write there.
std::atomic<bool> gCancel{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  if (gCancel.exchange(true)) std::_Exit(130);
  std::signal(SIGINT, OnInterrupt);  // some systems reset the handler
}

}  // namespace

bool ProgressBar::Report(int percent) {
  if (percent < 0) return true;
  if (percent == 0) {
    open_ = true;
    lastDrawn_ = -1;
    Draw(0);
  } else if (percent >= 100) {
    if (open_ && draw_) {
      Draw(100);
      std::fputc('\n', stream_);
      std::fflush(stream_);
    }
    open_ = false;
  } else {
    Draw(percent);
  }
  return cancel_ == nullptr || !cancel_->load();
}

void ProgressBar::Draw(int percent) {
  if (!draw_ || percent == lastDrawn_) return;
  lastDrawn_ = percent;
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stream_, "\rrendering [%s] %3d%%", bar, percent);
  std::fflush(stream_);
}

void InstallInterruptHandler() {
  std::signal(SIGINT, OnInterrupt);
}

const std::atomic<bool>& CancelRequested() {
  return gCancel;
}

bool StderrIsTerminal() {
  return ULVO_ISATTY(ULVO_FILENO(stderr)) != 0;
}

}  // namespace ulvo
