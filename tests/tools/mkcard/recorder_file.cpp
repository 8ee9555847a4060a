#include "recorder_file.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::uint64_t o) {
  return static_cast<std::uint32_t>(b[o]) << 24 | static_cast<std::uint32_t>(b[o + 1]) << 16 |
         static_cast<std::uint32_t>(b[o + 2]) << 8 | b[o + 3];
}

std::vector<Atom> AtomsIn(const std::vector<std::uint8_t>& bytes, std::uint64_t begin,
                          std::uint64_t end) {
  std::vector<Atom> atoms;
  while (begin + 8 <= end) {
    const std::uint32_t size = Be32(bytes, begin);
    if (size < 8 || size > end - begin) break;
    atoms.push_back({begin, size,
                     std::string(bytes.begin() + static_cast<long>(begin) + 4,
                                 bytes.begin() + static_cast<long>(begin) + 8)});
    begin += size;
  }
  return atoms;
}

std::optional<Atom> FindAtom(const std::vector<std::uint8_t>& bytes,
                             const std::vector<std::string>& path) {
  std::uint64_t begin = 0;
  std::uint64_t end = bytes.size();
  std::optional<Atom> found;
  for (const std::string& name : path) {
    found.reset();
    for (const Atom& atom : AtomsIn(bytes, begin, end)) {
      if (atom.name == name) {
        found = atom;
        break;
      }
    }
    if (!found) return found;
    begin = found->offset + 8;
    end = found->offset + found->size;
  }
  return found;
}

namespace {

std::string Field(const std::uint8_t* record, int offset, int length) {
  return std::string(reinterpret_cast<const char*>(record) + offset,
                     static_cast<std::size_t>(length));
}

int Int(const std::uint8_t* record, int offset, int length) {
  return std::atoi(Field(record, offset, length).c_str());
}

double Degrees(const std::uint8_t* record, int offset, int length, std::uint8_t hemisphere) {
  const double v = std::atof(Field(record, offset, length).c_str());
  const double degrees =
      std::fmod(v, 100.0) / 60.0 + static_cast<double>(static_cast<long>(v) / 100);
  return hemisphere != 0 ? degrees : -degrees;
}

}  // namespace

mkcard::SensorSample DecodeRecord(const std::uint8_t* r) {
  mkcard::SensorSample s;
  s.number = Int(r, 0, 5);
  s.fix = r[5] == 'A';
  s.latitudeHemisphere = r[15];
  s.longitudeHemisphere = r[26];
  s.latitude = Degrees(r, 6, 9, r[15]);
  s.longitude = Degrees(r, 16, 10, r[26]);
  s.speed = Int(r, 27, 4);
  s.clock = {2000 + Int(r, 31, 2), Int(r, 33, 2), Int(r, 35, 2),
             Int(r, 37, 2),        Int(r, 39, 2), Int(r, 41, 2)};
  s.addSeconds = r[44] == '*' ? -1 : Int(r, 44, 3);
  s.gx = Int(r, 57, 5);
  s.gy = Int(r, 62, 5);
  s.gz = Int(r, 67, 5);
  s.userPoint = static_cast<char>(r[72]);
  s.axis = static_cast<char>(r[73]);
  s.eventLetter = static_cast<char>(r[74]);
  s.emergencyStop = static_cast<char>(r[75]);
  s.parking = static_cast<char>(r[76]);
  s.speeding = static_cast<char>(r[77]);
  for (int i = 0; i < 4; ++i) s.vehicleBytes[static_cast<std::size_t>(i)] = r[78 + i];
  for (int i = 0; i < 15; ++i) {
    s.vehicleWords[static_cast<std::size_t>(i)] =
        static_cast<std::uint16_t>(r[82 + 2 * i] | r[83 + 2 * i] << 8);
  }
  s.manualMark = r[122] == 'M';
  return s;
}

void mkcard::PrintTo(const SensorSample& s, std::ostream* out) {
  *out << "{#" << s.number << (s.fix ? " A " : " V ") << s.latitude << "/"
       << int{s.latitudeHemisphere} << " " << s.longitude << "/" << int{s.longitudeHemisphere}
       << " " << s.speed << "km/h " << s.clock.year << "-" << s.clock.month << "-" << s.clock.day
       << " " << s.clock.hour << ":" << s.clock.minute << ":" << s.clock.second << " +"
       << s.addSeconds << " G " << s.gx << "," << s.gy << "," << s.gz << " flags "
       << std::string{s.userPoint, s.axis, s.eventLetter, s.emergencyStop, s.parking, s.speeding}
       << " manual " << s.manualMark << " words";
  for (const std::uint16_t word : s.vehicleWords) *out << " " << word;
  *out << " bytes";
  for (const std::uint8_t byte : s.vehicleBytes) *out << " " << int{byte};
  *out << "}";
}

GeneratorRun RunGenerator(const std::vector<std::string>& args, const char* path) {
  std::string errorsPath = (std::filesystem::temp_directory_path() / "mkcard-test-XXXXXX").string();
  const int errorsFd = mkstemp(errorsPath.data());
  std::vector<char*> argv{const_cast<char*>(KESTREL_MKCARD_PATH)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  GeneratorRun run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(errorsFd, 2);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    if (path != nullptr) setenv("PATH", path, 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(errorsFd);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::vector<std::uint8_t> errors = ReadBytes(errorsPath);
  run.errors.assign(errors.begin(), errors.end());
  std::filesystem::remove(errorsPath);
  return run;
}
