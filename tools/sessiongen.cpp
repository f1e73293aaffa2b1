#include "tools/sessiongen.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <stdexcept>

#include "text/error.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kGravity = 9.80665;

// The circuit, driven clockwise from the start line on the main straight,
// which points east. Straights give a length, corners a radius and a turn
// (degrees, right positive); the turns add up to one full right turn.
struct LayoutPiece {
    double length;
    double radius;
    double turnDeg;
};
constexpr LayoutPiece kLayout[] = {
    {600, 0, 0},   // start line to turn 1
    {0, 35, 115},  // turn 1
    {190, 0, 0},   // short straight
    {0, 90, -45},  // left kink
    {90, 0, 0},    // short straight
    {0, 150, 65},  // fast sweeper
    {800, 0, 0},   // back straight
    {0, 25, 150},  // hairpin
    {270, 0, 0},   // short straight
    {0, 60, -70},  // left
    {850, 0, 0},   // second long straight
    {0, 45, 95},   // right
    {200, 0, 0},   // short straight
    {0, 120, 50},  // last corner onto the main straight
    {500, 0, 0},   // to the start line
};

// Curvature changes linearly over this length around every joint, as on a
// driven line, so that lateral acceleration builds up instead of jumping.
constexpr double kTransition = 24.0;
constexpr double kNodeSpacing = 1.0;  // metres between profile nodes, before fitting to the lap
constexpr int kSubSteps = 8;          // integration steps per node interval

// Where the start line lies (WGS 84) and the ellipsoid to place it on.
constexpr double kLat0 = 35.3702;
constexpr double kLon0 = 138.9270;
constexpr double kEarthA = 6378137.0;
constexpr double kEarthE2 = 0.00669437999014;

// Car: grip, traction falling with speed to zero at the drag limit, brakes.
constexpr double kLateralAccel = 1.25 * kGravity;
constexpr double kDriveAccel = 6.5;
constexpr double kDragLimit = 53.0;  // m/s
constexpr double kBrakeDecel = 1.05 * kGravity;

struct Piece {
    double start;  // metres from the start line
    double length;
    double curv;        // 1/m, right positive
    double turnBefore;  // radians turned before the piece
};

struct Circuit {
    double length = 0;
    double step = 0;  // node spacing: length / nodes
    int nodes = 0;    // node `nodes` is the start line again
    std::vector<Piece> pieces;
    // Per node: position (m east/north of the start line), course (radians
    // clockwise from north, unwrapped), curvature and the piece it lies in.
    std::vector<double> east, north, course, curv;
    std::vector<int> pieceOf;
};

int PieceAt(const std::vector<Piece>& pieces, double s) {
    const auto it = std::upper_bound(pieces.begin(), pieces.end(), s,
                                     [](double v, const Piece& p) { return v < p.start; });
    return std::max(0, static_cast<int>(it - pieces.begin()) - 1);
}

// Radians turned from the start line to distance s; beyond one lap the
// circuit repeats, one full turn further.
double TurnTo(const std::vector<Piece>& pieces, double length, double s) {
    const double laps = std::floor(s / length);
    const double r = s - laps * length;
    const Piece& p = pieces[PieceAt(pieces, r)];
    return laps * 2 * kPi + p.turnBefore + p.curv * std::min(r - p.start, p.length);
}

// The layout's curvature averaged over kTransition: a linear ramp across
// every joint that keeps each corner's total turn.
double SmoothCurv(const std::vector<Piece>& pieces, double length, double s) {
    const double h = kTransition / 2;
    return (TurnTo(pieces, length, s + h) - TurnTo(pieces, length, s - h)) / kTransition;
}

std::vector<Piece> MakePieces(const std::vector<double>& lengths) {
    std::vector<Piece> pieces;
    double start = 0, turn = 0;
    for (std::size_t i = 0; i < std::size(kLayout); ++i) {
        const LayoutPiece& l = kLayout[i];
        const double angle = l.turnDeg * kPi / 180;
        const double curv = l.radius > 0 ? (angle > 0 ? 1 : -1) / l.radius : 0;
        pieces.push_back({start, lengths[i], curv, turn});
        start += lengths[i];
        turn += angle;
    }
    return pieces;
}

void Trace(Circuit& c) {
    c.length = c.pieces.back().start + c.pieces.back().length;
    c.nodes = static_cast<int>(std::ceil(c.length / kNodeSpacing));
    c.step = c.length / c.nodes;
    const std::size_t n = static_cast<std::size_t>(c.nodes) + 1;
    c.east.assign(n, 0);
    c.north.assign(n, 0);
    c.course.assign(n, 0);
    c.curv.assign(n, 0);
    c.pieceOf.assign(n, 0);
    const double h = c.step / kSubSteps;
    double east = 0, north = 0, course = kPi / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const double s = static_cast<double>(i) * c.step;
        c.east[i] = east;
        c.north[i] = north;
        c.course[i] = course;
        c.curv[i] = SmoothCurv(c.pieces, c.length, s);
        c.pieceOf[i] = PieceAt(c.pieces, s);
        if (i + 1 == n) break;
        for (int k = 0; k < kSubSteps; ++k) {
            const double a = s + k * h;
            const double ka = SmoothCurv(c.pieces, c.length, a);
            const double km = SmoothCurv(c.pieces, c.length, a + h / 2);
            const double kb = SmoothCurv(c.pieces, c.length, a + h);
            const double mid = course + h / 2 * (ka + km) / 2;
            east += h * std::sin(mid);
            north += h * std::cos(mid);
            course += h * (ka + 4 * km + kb) / 6;
        }
    }
}

// Lays out the circuit and stretches or shortens its straights as little as
// possible so that the loop closes on the start line.
Circuit BuildCircuit() {
    std::vector<double> lengths;
    for (const LayoutPiece& l : kLayout)
        lengths.push_back(l.radius > 0 ? l.radius * std::abs(l.turnDeg) * kPi / 180 : l.length);
    Circuit c;
    for (int pass = 0; pass < 3; ++pass) {
        c.pieces = MakePieces(lengths);
        Trace(c);
        const double ex = c.east.back(), ny = c.north.back();
        // Minimum-norm change of the straight lengths that cancels the gap:
        // a straight lengthened by d moves everything after it by d along it.
        double sxx = 0, sxy = 0, syy = 0;
        for (const Piece& p : c.pieces) {
            if (p.curv != 0) continue;
            const double dx = std::sin(kPi / 2 + p.turnBefore),
                         dy = std::cos(kPi / 2 + p.turnBefore);
            sxx += dx * dx, sxy += dx * dy, syy += dy * dy;
        }
        const double det = sxx * syy - sxy * sxy;
        const double lx = (syy * -ex - sxy * -ny) / det;
        const double ly = (sxx * -ny - sxy * -ex) / det;
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            const Piece& p = c.pieces[i];
            if (p.curv != 0) continue;
            lengths[i] +=
                std::sin(kPi / 2 + p.turnBefore) * lx + std::cos(kPi / 2 + p.turnBefore) * ly;
        }
    }
    c.pieces = MakePieces(lengths);
    Trace(c);
    return c;
}

const Circuit& TheCircuit() {
    static const Circuit circuit = BuildCircuit();
    return circuit;
}

// Deterministic random numbers: a hash of seed, stream and index, so that
// any sample can be drawn without drawing those before it.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

enum Stream : std::uint64_t {
    kLapParams = 1,
    kCornerGrip,
    kNoise,
    kSpeedNoise,
    kHeadingNoise,
    kAltNoise,
    kSats
};

double Uniform(std::uint32_t seed, Stream stream, std::uint64_t index) {
    const std::uint64_t h = Mix(Mix(Mix(seed) ^ stream) ^ index);
    return static_cast<double>(h >> 11) * 0x1.0p-53;
}

double Uniform(std::uint32_t seed, Stream stream, std::uint64_t index, double lo, double hi) {
    return lo + (hi - lo) * Uniform(seed, stream, index);
}

// Speed and time over one lap of the circuit, from the start line to the
// start line, at the profile nodes.
struct LapProfile {
    std::vector<double> speed;  // m/s
    std::vector<double> time;   // s since the start line
    double duration = 0;
};

// `lap` -1 is the out lap that brings the car up to speed; every lap
// varies the engine, the brakes and the grip in each corner a little.
LapProfile MakeProfile(const Circuit& c, std::uint32_t seed, std::int64_t lap, double entrySpeed) {
    const auto key = static_cast<std::uint64_t>(lap + 1) * 64;
    const double power = Uniform(seed, kLapParams, key + 0, 0.97, 1.02);
    const double brake = Uniform(seed, kLapParams, key + 1, 0.92, 1.04);
    const double drive = kDriveAccel * power;
    const double dragLimit = kDragLimit * std::cbrt(power);
    const double decel = kBrakeDecel * brake;

    const std::size_t n = c.curv.size();
    LapProfile p;
    p.speed.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double curv = std::abs(c.curv[i]);
        const double grip =
            kLateralAccel * Uniform(seed, kCornerGrip, key + c.pieceOf[i], 0.94, 1.02);
        p.speed[i] = curv > 1e-9 ? std::sqrt(grip / curv) : dragLimit;
    }
    // Accelerate out of every corner, then brake into it.
    p.speed[0] = std::min(p.speed[0], entrySpeed);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double v = p.speed[i];
        const double a = std::max(0.0, drive * (1 - (v / dragLimit) * (v / dragLimit)));
        p.speed[i + 1] = std::min(p.speed[i + 1], std::sqrt(v * v + 2 * a * c.step));
    }
    for (std::size_t i = n - 1; i > 0; --i) {
        const double v = p.speed[i];
        p.speed[i - 1] = std::min(p.speed[i - 1], std::sqrt(v * v + 2 * decel * c.step));
    }
    p.time.resize(n);
    p.time[0] = 0;
    for (std::size_t i = 0; i + 1 < n; ++i)
        p.time[i + 1] = p.time[i] + 2 * c.step / (p.speed[i] + p.speed[i + 1]);
    p.duration = p.time.back();
    return p;
}

void CheckSampling(const SessionOptions& o) {
    if (o.sampleHz != 20 && o.sampleHz != 10 && o.sampleHz != 5 && o.sampleHz != 1)
        throw std::invalid_argument("sample rate must be 20, 10, 5 or 1 Hz");
    if (o.samplesPerLap < 0) throw std::invalid_argument("samples per lap must not be negative");
    DateTimeFields f;
    if (!DecodeDateTime(o.start, f)) throw std::invalid_argument("start is not a valid date-time");
}

void CheckNaming(const SessionOptions& o) {
    if (o.laps < 0) throw std::invalid_argument("lap count must not be negative");
    if (o.firstDataNumber < 0 || o.firstDataNumber > 9999 || o.laps > 10000 - o.firstDataNumber)
        throw std::invalid_argument("data numbers must stay within 0000 to 9999");
}

// The session as one continuous drive sampled at j / SampleHz seconds after
// the start, cut into lap files either at the start line or every
// SamplesPerLap samples.
class Drive {
  public:
    explicit Drive(const SessionOptions& options)
        : c_(TheCircuit()), o_(options), hz_(options.sampleHz) {
        CheckSampling(options);
        const LapProfile outLap = MakeProfile(c_, o_.seed, -1, kDragLimit);
        profile_ = MakeProfile(c_, o_.seed, 0, outLap.speed.back());
        for (int q = 0; q < 3; ++q) {
            phase_[q] = Uniform(o_.seed, kNoise, q, 0, 2 * kPi);
            period_[q] = kDriftPeriod[q] * Uniform(o_.seed, kNoise, 8 + q, 0.85, 1.15);
        }
    }

    // The samples of the next lap file, or with out == nullptr only passes it.
    void NextLap(std::vector<Sample>* out) {
        const std::int64_t first = next_;
        std::int64_t j = first;
        const bool byLine = o_.samplesPerLap == 0;
        double s0 = 0;
        DateTime lapStart = 0;
        if (out != nullptr) {
            out->clear();
            if (!byLine) out->reserve(static_cast<std::size_t>(o_.samplesPerLap));
            lapStart = static_cast<double>(static_cast<Extended>(o_.start) +
                                           static_cast<Extended>(first) / hz_ / 86400);
        }
        for (;; ++j) {
            if (!byLine && j - first == o_.samplesPerLap) break;
            const double t = static_cast<double>(j) / o_.sampleHz;
            Reach(t);
            if (byLine && circuitLap_ > fileLap_) break;
            if (out == nullptr) continue;
            Sample r = SampleAt(j, t);
            if (j == first) s0 = distance_;
            r.elapsedSec = static_cast<Extended>(j - first) / hz_;
            r.elapsed = static_cast<double>(r.elapsedSec / 86400);
            r.dateTime = static_cast<double>(static_cast<Extended>(lapStart) + r.elapsed);
            r.distKm = static_cast<Extended>(distance_ - s0) / 1000;
            out->push_back(r);
        }
        next_ = j;
        ++fileLap_;
    }

  private:
    static constexpr double kDriftPeriod[3] = {23.0, 9.7, 4.1};  // s
    static constexpr double kDriftAmp[3] = {0.35, 0.25, 0.12};   // m

    // Makes the circuit lap current that is under way at t seconds.
    void Reach(double t) {
        while (t - lapStartSec_ >= profile_.duration) {
            lapStartSec_ += profile_.duration;
            ++circuitLap_;
            profile_ = MakeProfile(c_, o_.seed, circuitLap_, profile_.speed.back());
            node_ = 0;
        }
    }

    // Position, speed, heading, altitude and satellites at sample j (time t);
    // leaves the distance driven since the session start in distance_.
    Sample SampleAt(std::int64_t j, double t) {
        const double local = t - lapStartSec_;
        const std::size_t last = profile_.time.size() - 1;
        while (node_ + 1 < last && profile_.time[node_ + 1] <= local)
            ++node_;
        // Constant acceleration between two nodes.
        const double v0 = profile_.speed[node_], v1 = profile_.speed[node_ + 1];
        const double dt = profile_.time[node_ + 1] - profile_.time[node_];
        const double d = std::clamp(local - profile_.time[node_], 0.0, dt);
        const double a = (v1 - v0) / dt;
        const double speed = v0 + a * d;
        const double into = std::clamp(v0 * d + a * d * d / 2, 0.0, c_.step);
        const double s = static_cast<double>(node_) * c_.step + into;
        distance_ = static_cast<double>(circuitLap_) * c_.length + s;

        // Cubic Hermite between the nodes along their courses.
        const std::size_t i = node_;
        const double u = into / c_.step;
        const double h00 = (1 + 2 * u) * (1 - u) * (1 - u), h10 = u * (1 - u) * (1 - u);
        const double h01 = u * u * (3 - 2 * u), h11 = u * u * (u - 1);
        const double step = c_.step;
        double east = h00 * c_.east[i] + h10 * step * std::sin(c_.course[i]) +
                      h01 * c_.east[i + 1] + h11 * step * std::sin(c_.course[i + 1]);
        double north = h00 * c_.north[i] + h10 * step * std::cos(c_.course[i]) +
                       h01 * c_.north[i + 1] + h11 * step * std::cos(c_.course[i + 1]);
        const double course = c_.course[i] + u * (c_.course[i + 1] - c_.course[i]);

        // GPS error drifts slowly rather than jumping from fix to fix.
        for (int q = 0; q < 3; ++q) {
            east += kDriftAmp[q] * std::sin(2 * kPi * t / period_[q] + phase_[q]);
            north += kDriftAmp[q] * std::cos(2 * kPi * t / (1.3 * period_[q]) + phase_[q]);
        }
        const auto index = static_cast<std::uint64_t>(j);
        const double lat0 = kLat0 * kPi / 180;
        const double w = 1 - kEarthE2 * std::sin(lat0) * std::sin(lat0);
        const Extended meridian = kEarthA * (1 - kEarthE2) / (w * std::sqrt(w));
        const Extended parallel = kEarthA / std::sqrt(w) * std::cos(lat0);
        const Extended degPerRad = 180 / static_cast<Extended>(kPi);

        Sample r;
        r.lat = kLat0 + north / meridian * degPerRad;
        r.lon = kLon0 + east / parallel * degPerRad;
        const double phase = 2 * kPi * s / c_.length;
        r.alt = 562 + 9 * std::sin(phase + 0.8) + 3.5 * std::sin(2 * phase + 2.3) +
                1.2 * std::sin(2 * kPi * t / 37 + phase_[0]) +
                Uniform(o_.seed, kAltNoise, index, -0.2, 0.2);
        r.speed = std::max(0.0, speed * 3.6 + Uniform(o_.seed, kSpeedNoise, index, -0.12, 0.12));
        const Extended compass =
            course * 180 / kPi + Uniform(o_.seed, kHeadingNoise, index, -0.4, 0.4);
        Extended heading = std::fmod(compass + 180, static_cast<Extended>(360));
        if (heading < 0) heading += 360;
        if (heading >= 360) heading -= 360;
        r.heading = heading;
        // Satellites in view change every few seconds.
        const auto slot = static_cast<std::uint64_t>(t / 4);
        const double sky = 9.5 + 1.5 * std::sin(2 * kPi * t / 300 + phase_[1]);
        r.satCount = std::clamp(
            static_cast<int>(std::lround(sky + Uniform(o_.seed, kSats, slot, -1, 1))), 7, 12);
        return r;
    }

    const Circuit& c_;
    SessionOptions o_;
    Extended hz_;
    double phase_[3] = {}, period_[3] = {};
    std::int64_t next_ = 0;        // sample index of the next lap's first sample
    int fileLap_ = 0;              // lap file the next call writes
    std::int64_t circuitLap_ = 0;  // circuit lap under way
    double lapStartSec_ = 0;       // when it crossed the start line
    LapProfile profile_;
    std::size_t node_ = 0;
    double distance_ = 0;
};

}  // namespace

std::vector<Sample> MakeLapSamples(const SessionOptions& options, int index) {
    if (index < 0) throw std::out_of_range("lap index must not be negative");
    Drive drive(options);
    for (int k = 0; k < index; ++k)
        drive.NextLap(nullptr);
    std::vector<Sample> records;
    drive.NextLap(&records);
    return records;
}

void WriteLapFile(const std::string& path, const std::vector<Sample>& records) {
    std::string bytes(records.size() * kLapRecordSize, '\0');
    for (std::size_t i = 0; i < records.size(); ++i)
        EncodeSample(records[i],
                     reinterpret_cast<unsigned char*>(bytes.data()) + i * kLapRecordSize);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw Error("ラップファイルを書き込めません", path);
}

std::vector<std::string> WriteSession(const std::string& folder, const SessionOptions& options) {
    CheckNaming(options);
    Drive drive(options);
    const std::filesystem::path dir = folder.empty() ? "." : folder;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) throw Error("フォルダを作れません", folder, ec.value());

    std::vector<std::string> paths;
    std::vector<Sample> records;
    std::chrono::sys_time<std::chrono::nanoseconds> previous{};
    for (int k = 0; k < options.laps; ++k) {
        drive.NextLap(&records);
        char name[16];
        std::snprintf(name, sizeof name, "Temp%04d.dtb", options.firstDataNumber + k);
        const std::string path = (dir / name).string();
        WriteLapFile(path, records);

        // The file is stamped at the lap's end, read as local wall-clock
        // time. Laps shorter than two seconds still get stamps two seconds
        // apart, so that the stamps grow with the data number at the
        // two-second resolution a lap list compares them at.
        DateTimeFields f;
        if (!DecodeDateTime(records.back().dateTime, f))
            throw std::invalid_argument("session runs past the end of the calendar");
        std::tm tm{};
        tm.tm_year = f.year - 1900;
        tm.tm_mon = f.month - 1;
        tm.tm_mday = f.day;
        tm.tm_hour = f.hour;
        tm.tm_min = f.minute;
        tm.tm_sec = f.second;
        tm.tm_isdst = -1;
        const std::time_t seconds = std::mktime(&tm);
        if (seconds == -1) throw std::invalid_argument("lap end has no local time stamp");
        auto stamp = std::chrono::sys_time<std::chrono::nanoseconds>(
            std::chrono::seconds(seconds) + std::chrono::milliseconds(f.milliSecond));
        if (k > 0 && stamp < previous + std::chrono::seconds(2))
            stamp = previous + std::chrono::seconds(2);
        std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(stamp), ec);
        if (ec) throw Error("ラップファイルの時刻を設定できません", path, ec.value());
        previous = stamp;
        paths.push_back(path);
    }
    return paths;
}
