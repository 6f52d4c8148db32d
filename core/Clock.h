// Where the date in a generated main.c comes from, so it can be fixed in
// tests and on the command line.
#pragma once

namespace forgeline {

struct CalendarDate {
  int day = 1;    // 1..31
  int month = 1;  // 1..12
  int year = 1970;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual CalendarDate today() const = 0;
};

// The local calendar date of this machine.
class SystemClock : public Clock {
 public:
  CalendarDate today() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(CalendarDate date) : date_(date) {}
  CalendarDate today() const override { return date_; }

 private:
  CalendarDate date_;
};

}  // namespace forgeline
