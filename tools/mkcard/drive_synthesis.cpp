#include "mkcard/drive_synthesis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <utility>

#include "mkcard/coordinate_text.h"
#include "mkcard/splitmix64.h"

namespace mkcard {
namespace {

constexpr int kSpeedLimit = 50;   // km/h in town
constexpr int kClockBehind = 18;  // the recorder's clock runs 18 s behind satellite time
constexpr double kMetresPerDegree = 111320.0;
constexpr double kStepSeconds = 0.1;  // ten records a second

enum class Crossing { kNone, kPrimeMeridian, kEquator };

struct Town {
  double latitude;
  double longitude;
  bool northward;  // main streets run north (else east)
  Crossing crossing;
};

Town TownOf(int folder) {
  switch (folder % 3) {
    case 1:
      return {51.4779, 0.0, false, Crossing::kPrimeMeridian};
    case 2:
      return {0.0, -78.4555, true, Crossing::kEquator};
    default:
      return {35.6586, 139.7454, false, Crossing::kNone};
  }
}

bool Parked(char trigger) { return trigger == 'P' || trigger == 'S'; }

// Returns deterministic noise in [-amplitude, amplitude] for one step and channel.
int Noise(std::uint64_t key, std::int64_t step, int channel, int amplitude) {
  SplitMix64 rng(key ^
                 ((static_cast<std::uint64_t>(step) * 16 + static_cast<std::uint64_t>(channel)) *
                  0xD1B54A32D192ED03ULL));
  return rng.Between(-amplitude, amplitude);
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// A drive through a grid of streets: legs along the main direction alternate
// with short legs along side streets, turning left or right at random.
class Route {
 public:
  Route(SplitMix64& rng, bool northward, double length) {
    double total = 0;
    for (int i = 0; total <= length + 1; ++i) {
      Leg leg;
      const bool main = i % 2 == 0;
      const double side = rng.Between(0, 1) == 0 ? -1.0 : 1.0;
      const bool north = main == northward;
      leg.east = north ? 0.0 : (main ? 1.0 : side);
      leg.north = north ? (main ? 1.0 : side) : 0.0;
      leg.length = main ? rng.Between(120, 260) : rng.Between(40, 110);
      legs_.push_back(leg);
      total += leg.length;
    }
  }

  // Returns the (east, north) metres from the start at distance d along the route.
  std::pair<double, double> At(double d) const {
    double east = 0;
    double north = 0;
    for (const Leg& leg : legs_) {
      const double part = std::min(d, leg.length);
      east += leg.east * part;
      north += leg.north * part;
      d -= part;
      if (d <= 0) break;
    }
    return {east, north};
  }

 private:
  struct Leg {
    double east = 0;
    double north = 0;
    double length = 0;
  };
  std::vector<Leg> legs_;
};

// The drive as a function of the 100 ms step within the folder.
class Timeline {
 public:
  Timeline(const DriveSetup& setup, const std::vector<DriveSlot>& slots, SplitMix64& rng)
      : slots_(slots), stepsPerSlot_(setup.seconds * 10) {
    std::size_t steps = slots.size() * static_cast<std::size_t>(stepsPerSlot_);
    for (std::size_t k = 0; k < slots.size(); ++k) {
      steps = std::max(steps, k * static_cast<std::size_t>(stepsPerSlot_) +
                                  static_cast<std::size_t>(slots[k].records));
    }
    const double cruise = rng.Between(32, 42);
    const double phase = rng.Between(0, 628) / 100.0;
    speed_.resize(steps + 1);
    distance_.resize(steps + 2);
    for (std::size_t s = 0; s <= steps; ++s) {
      speed_[s] = SpeedAt(static_cast<int>(s), cruise, phase);
      distance_[s + 1] = distance_[s] + speed_[s] / 3.6 * kStepSeconds;
    }
  }

  int Slot(int step) const {
    return std::min(step / stepsPerSlot_, static_cast<int>(slots_.size()) - 1);
  }
  double Speed(int step) const { return speed_[static_cast<std::size_t>(step)]; }
  double Distance(int step) const { return distance_[static_cast<std::size_t>(step)]; }
  double TotalDistance() const { return distance_.back(); }

 private:
  double SpeedAt(int step, double cruise, double phase) const {
    const int k = Slot(step);
    if (Parked(slots_[static_cast<std::size_t>(k)].trigger)) return 0;
    const double length = stepsPerSlot_ * kStepSeconds;
    const double t = (step - k * stepsPerSlot_) * kStepSeconds;
    const int last = static_cast<int>(slots_.size()) - 1;
    // From and to a standstill at the ends of the drive and next to parking.
    const double ramp = std::min(4.0, 0.25 * length);
    const bool fromRest = k == 0 || Parked(slots_[static_cast<std::size_t>(k - 1)].trigger);
    const bool toRest = k == last || Parked(slots_[static_cast<std::size_t>(k + 1)].trigger);
    const double up = fromRest ? Clamp01(t / ramp) : 1.0;
    const double down = toRest ? Clamp01((length - t) / ramp) : 1.0;
    // Over the limit in the middle fifth of every slice.
    const double rise = std::min(2.0, 0.1 * length);
    const double over = Clamp01(std::min(t - 0.4 * length, 0.6 * length - t) / rise + 0.5);
    const double base = cruise + 4.0 * std::sin(step * 0.031 + phase);
    const double fast = kSpeedLimit + 10.0;
    return (base + (fast - base) * over) * std::min(up, down);
  }

  std::vector<DriveSlot> slots_;
  int stepsPerSlot_;
  std::vector<double> speed_;
  std::vector<double> distance_;
};

void SetPosition(SensorSample& sample, double latitude, double longitude) {
  sample.latitudeHemisphere = latitude >= 0 ? 'N' : 0x00;
  sample.longitudeHemisphere = longitude >= 0 ? 'E' : 0x00;
  sample.latitude = DecodedCoordinate(CoordinateText(latitude, 2), sample.latitudeHemisphere);
  sample.longitude = DecodedCoordinate(CoordinateText(longitude, 3), sample.longitudeHemisphere);
}

void SetVehicle(SensorSample& sample, int step, double speed, double nextSpeed, bool engineOn) {
  if (!engineOn) {
    // Engine off: the OBD adapter reports nothing.
    sample.vehicleBytes.fill(0x20);
    sample.vehicleWords.fill(kMissingWord);
    return;
  }
  const int kmh = sample.speed;
  const int gear = 1 + std::min(4, kmh / 15);
  const int throttle = std::clamp(
      120 + kmh * 4 + static_cast<int>(std::lround((nextSpeed - speed) * 300.0)), 0, 1000);
  sample.vehicleBytes = {0x01, static_cast<std::uint8_t>(gear), 62, 0x00};
  sample.vehicleWords.fill(0);
  sample.vehicleWords[0] = static_cast<std::uint16_t>(40 + 88 + (step / 600) % 3);
  sample.vehicleWords[1] = static_cast<std::uint16_t>(30 + throttle / 14);
  sample.vehicleWords[2] = static_cast<std::uint16_t>(kmh == 0 ? 750 : 750 + kmh * 110 / gear);
  sample.vehicleWords[3] = static_cast<std::uint16_t>(kmh);
  sample.vehicleWords[7] = static_cast<std::uint16_t>(throttle);
}

// Marks the events of one recording by its trigger; `at` places them by the
// fraction of the recording.
void MarkEvents(std::vector<SensorSample>& samples, char trigger, SplitMix64& rng) {
  const int count = static_cast<int>(samples.size());
  if (count == 0) return;
  const auto at = [count](double fraction) {
    return static_cast<std::size_t>(std::min(count - 1, static_cast<int>(count * fraction)));
  };
  const auto impacts = [&] {
    const std::size_t peak = at(0.5);
    const int sign = rng.Between(0, 1) == 0 ? -1 : 1;
    SensorSample& x = samples[peak];
    x.gx = sign * rng.Between(1500, 2800);
    x.axis = 'X';
    SensorSample& y = samples[std::min(peak + 2, samples.size() - 1)];
    y.gy = -sign * rng.Between(1500, 2800);
    y.axis = 'Y';
    SensorSample& z = samples[std::min(peak + 4, samples.size() - 1)];
    z.gz = rng.Between(1500, 2800);
    z.axis = 'Z';
  };
  switch (trigger) {
    case 'A':
      samples[at(0.2)].eventLetter = 'A';
      samples[at(0.3)].eventLetter = 'B';
      samples[at(0.85)].emergencyStop = 'D';
      samples[at(0.85)].gx = -rng.Between(600, 900);
      samples[at(0.9)].eventLetter = 'H';
      break;
    case 'M':
      samples[at(0.3)].manualMark = true;
      samples[at(0.5)].userPoint = 'D';
      break;
    case 'G':
      impacts();
      break;
    case 'S':
      samples[0].parking = 'D';
      impacts();
      break;
    case 'P':
      samples[0].parking = 'D';
      break;
    default:
      break;
  }
}

}  // namespace

LocalClock ClockOf(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds time{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  return {static_cast<int>(date.year()),
          static_cast<int>(unsigned(date.month())),
          static_cast<int>(unsigned(date.day())),
          static_cast<int>(clock.hours().count()),
          static_cast<int>(clock.minutes().count()),
          static_cast<int>(clock.seconds().count())};
}

std::vector<std::vector<SensorSample>> SynthesizeDrive(const DriveSetup& setup,
                                                       const std::vector<DriveSlot>& slots) {
  std::vector<std::vector<SensorSample>> result(slots.size());
  if (slots.empty()) return result;
  const std::uint64_t key =
      setup.seed * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(setup.folder);
  SplitMix64 rng(key);
  const Timeline timeline(setup, slots, rng);
  const Route route(rng, TownOf(setup.folder).northward, timeline.TotalDistance());

  // Place the town so that a crossing drive passes hemisphere 0 half-way,
  // half a metre after the middle of its distance.
  const Town town = TownOf(setup.folder);
  const auto [midEast, midNorth] = route.At(timeline.TotalDistance() / 2);
  double latitude0 = town.latitude;
  double longitude0 = town.longitude;
  if (town.crossing == Crossing::kNone) {
    latitude0 += rng.Between(-500, 500) / 100000.0;
    longitude0 += rng.Between(-500, 500) / 100000.0;
  }
  if (town.crossing == Crossing::kEquator) latitude0 = -(midNorth - 0.5) / kMetresPerDegree;
  const double metresPerLongitude =
      kMetresPerDegree * std::cos(latitude0 * std::numbers::pi / 180.0);
  if (town.crossing == Crossing::kPrimeMeridian) longitude0 = -(midEast - 0.5) / metresPerLongitude;

  const double swayPhase = rng.Between(0, 628) / 100.0;
  const int stepsPerSlot = setup.seconds * 10;
  std::pair<double, double> lastFix = route.At(0);
  for (std::size_t k = 0; k < slots.size(); ++k) {
    const DriveSlot& slot = slots[k];
    const int first = static_cast<int>(k) * stepsPerSlot;
    const int noFixFrom = slot.trigger == 'A' ? static_cast<int>(slot.records * 0.65) : 0;
    const int noFixTo = slot.trigger == 'A' ? static_cast<int>(slot.records * 0.80) : 0;
    for (int r = 0; r < slot.records; ++r) {
      const int step = first + r;
      SensorSample sample;
      sample.number = r % 100000;
      // Through a tunnel: no fix, the last position repeated, and the clock
      // written unadjusted ('*').
      sample.fix = r < noFixFrom || r >= noFixTo;
      if (sample.fix) lastFix = route.At(timeline.Distance(step));
      SetPosition(sample, latitude0 + lastFix.second / kMetresPerDegree,
                  longitude0 + lastFix.first / metresPerLongitude);
      const double speed = timeline.Speed(step);
      const double nextSpeed = timeline.Speed(step + 1);
      sample.speed = static_cast<int>(std::lround(speed));
      sample.speeding = sample.speed > kSpeedLimit ? 'D' : 'N';
      const std::int64_t now = setup.startSeconds + step / 10;
      sample.addSeconds = sample.fix ? kClockBehind : -1;
      sample.clock = ClockOf(sample.fix ? now - kClockBehind : now);
      if (Parked(slot.trigger)) {
        sample.gx = Noise(key, step, 0, 8);
        sample.gy = Noise(key, step, 1, 8);
        sample.gz = Noise(key, step, 2, 8);
      } else {
        const double accel = (nextSpeed - speed) / 3.6 / kStepSeconds / 9.81 * 1000.0;
        sample.gx =
            std::clamp(static_cast<int>(std::lround(accel)), -1200, 1200) + Noise(key, step, 0, 25);
        sample.gy = static_cast<int>(std::lround(70.0 * std::sin(step * 0.09 + swayPhase))) +
                    Noise(key, step, 1, 20);
        sample.gz = Noise(key, step, 2, 30);
      }
      SetVehicle(sample, step, speed, nextSpeed, !Parked(slot.trigger));
      result[k].push_back(sample);
    }
    MarkEvents(result[k], slot.trigger, rng);
  }
  return result;
}

}  // namespace mkcard
