#include "core/Clock.h"

#include <ctime>

namespace forgeline {

CalendarDate SystemClock::today() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  if (::localtime_s(&local, &now) != 0) return {};
#else
  if (::localtime_r(&now, &local) == nullptr) return {};
#endif
  return {local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

}  // namespace forgeline
