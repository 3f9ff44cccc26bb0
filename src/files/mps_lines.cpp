// Stream reading and line splitting for the MPS reader.
#include "files/mps_lines.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace tvl::mps {

namespace {

// The first piece to read: the whole of a regular file (one byte more, so
// that the first read already sees the end), else 64 KiB. A first piece far
// larger than the file costs a page fault per 4 KiB that the zero fill
// touches, which dominated the reading of small models.
size_t first_chunk(FILE *fp) {
  struct stat st;
  int fd = fileno(fp);
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0) {
    long at = std::ftell(fp);
    size_t left = static_cast<size_t>(st.st_size) - (at > 0 ? static_cast<size_t>(at) : 0);
    return left + 1;
  }
  return size_t{1} << 16;
}

}  // namespace

bool read_stream(FILE *fp, Vec<char> &buf) {
  // Pieces of growing size, joined once at the end: no element-wise
  // relocation of a growing buffer.
  Vec<Vec<char>> pieces;
  size_t chunk = first_chunk(fp), total = 0;
  for (;;) {
    pieces.emplace_back();
    Vec<char> &p = pieces.back();
    p.resize(chunk);
    size_t got = std::fread(p.data(), 1, chunk, fp);
    p.resize(got);
    total += got;
    if (got < chunk) break;
    chunk = std::max(chunk, std::min(2 * chunk, size_t{1} << 24));
  }
  if (pieces.size() == 1) {
    buf = std::move(pieces.front());
    return !std::ferror(fp);
  }
  buf.clear();
  buf.resize(total);
  size_t at = 0;
  for (const Vec<char> &p : pieces) {
    if (!p.empty()) std::memcpy(buf.data() + at, p.data(), p.size());
    at += p.size();
  }
  return !std::ferror(fp);
}

bool LineCursor::next(std::string_view &line) {
  if (p_ >= end_) return false;
  const char *nl = static_cast<const char *>(std::memchr(p_, '\n', static_cast<size_t>(end_ - p_)));
  const char *stop = nl ? nl : end_;
  const char *e = stop;
  if (e > p_ && e[-1] == '\r') --e;
  line = std::string_view(p_, static_cast<size_t>(e - p_));
  p_ = nl ? nl + 1 : end_;
  ++lineno_;
  return true;
}

namespace {

std::string_view trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

bool blank_between(std::string_view line, size_t from, size_t to) {
  for (size_t k = from; k < to && k < line.size(); ++k)
    if (line[k] != ' ') return false;
  return true;
}

}  // namespace

bool split_fixed(std::string_view line, std::string_view field[6]) {
  static const size_t kStart[6] = {1, 4, 14, 24, 39, 49};
  static const size_t kWidth[6] = {2, 8, 8, 12, 8, 12};
  static const bool kName[6] = {true, true, true, false, true, false};
  for (int k = 0; k < 6; ++k) field[k] = std::string_view();
  size_t len = line.size();
  while (len > 0 && line[len - 1] == ' ') --len;
  line = line.substr(0, len);
  if (line.find('\t') != std::string_view::npos) return false;
  if (len == 0) return true;
  if (line[0] != ' ') return false;
  size_t end = 1;  // end of the previous field
  for (int k = 0; k < 6; ++k) {
    size_t gap = k == 0 ? 0 : kStart[k] - (kStart[k - 1] + kWidth[k - 1]);
    size_t start = kStart[k] > end + gap ? kStart[k] : end + gap;
    if (!blank_between(line, end, start)) return false;
    if (start >= len) return true;
    if (kName[k]) {
      size_t stop = start + kWidth[k];
      if (stop < len && line[stop] != ' ') return false;
      field[k] = trim(line.substr(start, stop - start));
      end = stop < len ? stop : len;
    } else {
      size_t p = start, limit = start + kWidth[k];
      while (p < limit && p < len && line[p] == ' ') ++p;
      if (p >= limit || p >= len) {
        end = start;
        continue;
      }
      size_t q = p;
      while (q < len && line[q] != ' ') ++q;
      field[k] = line.substr(p, q - p);
      end = q;
    }
  }
  return blank_between(line, end, len);
}

std::string_view cut_dollar_comment(std::string_view line, int keep) {
  size_t p = 0, len = line.size();
  for (int word = 0; p < len; ++word) {
    while (p < len && is_space(line[p])) ++p;
    if (p >= len) break;
    if (word >= keep && line[p] == '$') return line.substr(0, p);
    while (p < len && !is_space(line[p])) ++p;
  }
  return line;
}

int split_words(std::string_view line, std::string_view *word, int max) {
  int n = 0;
  size_t p = 0, len = line.size();
  while (p < len) {
    while (p < len && is_space(line[p])) ++p;
    if (p >= len) break;
    size_t q = p;
    while (q < len && !is_space(line[q])) ++q;
    if (n < max) word[n] = line.substr(p, q - p);
    ++n;
    p = q;
  }
  return n;
}

}  // namespace tvl::mps
