#include "bench_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

double MedianSeconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    sync();
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void StatAndTwoReads(const std::vector<std::filesystem::path>& files) {
  for (const std::filesystem::path& file : files) {
    struct stat info {};
    char bytes[18];
    const int fd = open(file.c_str(), O_RDONLY);
    fstat(fd, &info);
    if (pread(fd, bytes, 8, 0) != 8 || pread(fd, bytes, 18, info.st_size - 18) != 18) std::abort();
    close(fd);
  }
}

std::vector<std::filesystem::path> LinkedCard(const std::filesystem::path& recording,
                                              const std::filesystem::path& card, int count,
                                              int perFolder, std::string_view triggers) {
  std::vector<std::filesystem::path> links;
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "DCIM/%03dMEDIA/12%08d_%c.MOV", 100 + i / perFolder, i,
                  triggers[static_cast<std::size_t>(i) % triggers.size()]);
    const std::filesystem::path link = card / name;
    if (!std::filesystem::exists(link)) {
      std::filesystem::create_directories(link.parent_path());
      std::filesystem::create_hard_link(recording, link);
    }
    links.push_back(link);
  }
  return links;
}
