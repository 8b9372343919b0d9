#include "summary.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace tallowgate::look {
namespace {

// The calendar date of a day count from 0001-01-01 (the inverse of the scan's day count).
void civil_from_days(std::int64_t days, int* year, int* month, int* day) {
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (*month <= 2 ? 1 : 0));
}

std::string iso_time(const FrameTime& time) {
  if (!time.valid) return time.text;
  int year = 0, month = 0, day = 0;
  const std::int64_t days = time.seconds / 86400;
  const std::int64_t in_day = time.seconds % 86400;
  civil_from_days(days, &year, &month, &day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                static_cast<int>(in_day / 3600), static_cast<int>(in_day / 60 % 60),
                static_cast<int>(in_day % 60));
  return text;
}

std::string duration(std::int64_t seconds) {
  char text[48];
  if (seconds % 86400 == 0 && seconds >= std::int64_t{2} * 86400) {
    std::snprintf(text, sizeof text, "%lld days", static_cast<long long>(seconds / 86400));
  } else if (seconds % 3600 == 0) {
    std::snprintf(text, sizeof text, "%lld hour%s", static_cast<long long>(seconds / 3600),
                  seconds == 3600 ? "" : "s");
  } else if (seconds % 60 == 0) {
    std::snprintf(text, sizeof text, "%lld minutes", static_cast<long long>(seconds / 60));
  } else {
    std::snprintf(text, sizeof text, "%lld seconds", static_cast<long long>(seconds));
  }
  return text;
}

std::string number(double value, int decimals, int width) {
  char text[64];
  std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
  return text;
}

std::string count(std::int64_t value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%*lld", width, static_cast<long long>(value));
  return text;
}

std::string dash(int width) { return std::string(static_cast<std::size_t>(width - 1), ' ') + "-"; }

}  // namespace

FrameStats frame_stats(const FrameInfo& frame, const std::vector<float>& values, const Product& product) {
  FrameStats stats;
  stats.number = frame.number;
  stats.time = frame.time;
  const bool has_cap = product.cap.has_value();
  const float cap = product.cap.value_or(0.0f);
  float minimum = 0, maximum = 0;
  double sum = 0;
  std::int64_t valued = 0, at_cap = 0, negative = 0;
  for (const float value : values) {
    if (std::isnan(value)) continue;
    if (value < 0) ++negative;
    if (has_cap && value >= cap) {
      ++at_cap;
      continue;
    }
    if (valued == 0 || value < minimum) minimum = value;
    if (valued == 0 || value > maximum) maximum = value;
    sum += static_cast<double>(value);
    ++valued;
  }
  stats.valued = valued;
  stats.minimum = static_cast<double>(minimum);
  stats.maximum = static_cast<double>(maximum);
  stats.mean = valued > 0 ? sum / static_cast<double>(valued) : 0;
  stats.at_cap = at_cap;
  stats.negative = negative;
  return stats;
}

TimeAxis time_axis(const std::vector<FrameStats>& frames) {
  TimeAxis axis;
  const FrameStats* previous = nullptr;
  std::map<std::int64_t, int> steps;
  for (const FrameStats& frame : frames) {
    if (!frame.time.valid) continue;
    if (axis.first.empty()) axis.first = frame.time.text;
    axis.last = frame.time.text;
    if (previous != nullptr && frame.time.seconds > previous->time.seconds) {
      ++steps[frame.time.seconds - previous->time.seconds];
    }
    previous = &frame;
  }
  int most = 0;
  for (const auto& [step, times] : steps) {
    if (times > most) {
      most = times;
      axis.step = step;
    }
  }
  if (axis.step == 0) return axis;
  previous = nullptr;
  for (const FrameStats& frame : frames) {
    if (!frame.time.valid) continue;
    if (previous != nullptr) {
      const std::int64_t distance = frame.time.seconds - previous->time.seconds;
      if (distance > axis.step) {
        axis.gaps.push_back(TimeGap{previous->time.text, frame.time.text, (distance - 1) / axis.step});
      }
    }
    previous = &frame;
  }
  return axis;
}

std::string summary_text(const R2cHeader& header, const Product& product,
                         const std::vector<FrameStats>& frames) {
  constexpr int kWidth = 12;
  const int decimals = product.decimals;
  std::string text = (header.name.empty() ? std::string("(no name)") : header.name) + ": " +
                     std::to_string(header.x_count) + " x " + std::to_string(header.y_count) + " cells";
  if (!header.units.empty()) text += ", units " + header.units;
  if (product.cap) text += ", cap " + number(static_cast<double>(*product.cap), decimals, 0);
  text += "\n";
  text += "frame  time                     minimum     maximum        mean      at cap    negative\n";
  for (const FrameStats& frame : frames) {
    std::string time = frame.time.text;
    if (time.size() < 19) time.resize(19, ' ');
    text += count(frame.number, 5) + "  " + time + " ";
    if (frame.valued > 0) {
      text += number(frame.minimum, decimals, kWidth) + number(frame.maximum, decimals, kWidth) +
              number(frame.mean, decimals, kWidth);
    } else {
      text += dash(kWidth) + dash(kWidth) + dash(kWidth);
    }
    text += (product.cap ? count(frame.at_cap, kWidth) : dash(kWidth)) + count(frame.negative, kWidth) + "\n";
  }
  const TimeAxis axis = time_axis(frames);
  if (frames.empty()) {
    text += "no frames\n";
  } else if (axis.first.empty()) {
    text += std::to_string(frames.size()) + (frames.size() == 1 ? " frame" : " frames") + " without a time\n";
  } else if (frames.size() == 1) {
    text += "1 frame at " + axis.first + "\n";
  } else {
    text += std::to_string(frames.size()) + " frames from " + axis.first + " to " + axis.last;
    if (axis.step > 0) text += ", every " + duration(axis.step);
    text += "\n";
    if (axis.gaps.empty()) text += "no gaps in the time axis\n";
    for (const TimeGap& gap : axis.gaps) {
      text += "gap: " + std::to_string(gap.missing) + (gap.missing == 1 ? " frame" : " frames") +
              " missing between " + gap.from + " and " + gap.to + "\n";
    }
  }
  return text;
}

std::string summary_csv(const Product& product, const std::vector<FrameStats>& frames) {
  std::string text = "frame,time,minimum,maximum,mean,at_cap,negative\n";
  for (const FrameStats& frame : frames) {
    text += std::to_string(frame.number) + "," + iso_time(frame.time) + ",";
    if (frame.valued > 0) {
      text += number(frame.minimum, product.decimals, 0) + "," + number(frame.maximum, product.decimals, 0) +
              "," + number(frame.mean, product.decimals, 0);
    } else {
      text += ",,";
    }
    text += "," + (product.cap ? std::to_string(frame.at_cap) : std::string()) + "," +
            std::to_string(frame.negative) + "\n";
  }
  return text;
}

}  // namespace tallowgate::look
