#include "catalogue/movie_names.h"

#include <cctype>

bool IsMovieName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  const std::string_view ext = name.substr(dot + 1);
  return std::toupper(static_cast<unsigned char>(ext[0])) == 'M' &&
         std::toupper(static_cast<unsigned char>(ext[1])) == 'O' &&
         std::toupper(static_cast<unsigned char>(ext[2])) == 'V';
}

char TriggerLetter(std::string_view name) {
  if (name.size() < 12 || name[10] != '_') return 0;
  return TriggerBit(name[11]) != 0 ? name[11] : 0;
}

int TriggerBit(char letter) {
  switch (letter) {
    case 'A': return 0x01;
    case 'M': return 0x02;
    case 'G': return 0x04;
    case 'P': return 0x08;
    case 'S': return 0x10;
    default: return 0;
  }
}

bool HasNumberPrefix(std::string_view name) {
  return name.size() >= 4 && std::isdigit(static_cast<unsigned char>(name[0])) &&
         std::isdigit(static_cast<unsigned char>(name[1])) &&
         std::isdigit(static_cast<unsigned char>(name[2])) && name[3] == '_';
}
