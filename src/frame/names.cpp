// Pooled name tables and default names.
#include "frame/names.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frame/param.h"

namespace tvl {

static int64_t round4(int64_t b) { return (b + 3) & ~int64_t{3}; }

void names_free(NameTable &t) {
  mem_free(t.off);
  mem_free(t.buf);
  t.used = t.cap = 0;
}

int64_t names_bytes(char *const *names, int64_t n) {
  int64_t b = 0;
  for (int64_t k = 0; k < n; ++k) b += static_cast<int64_t>(std::strlen(names[k])) + 1;
  return b;
}

bool names_load(NameTable &t, char *const *names, int32_t n, int32_t itemcap, int32_t spare) {
  NameTable nt;
  int64_t bytes = names_bytes(names, n);
  nt.cap = round4(bytes + 17 * int64_t{spare});
  nt.off = mem_array<int64_t>(static_cast<size_t>(std::max(itemcap, 1)));
  nt.buf = mem_array<char>(static_cast<size_t>(std::max<int64_t>(nt.cap, 4)));
  if (!nt.off || !nt.buf) {
    names_free(nt);
    return false;
  }
  for (int32_t k = 0; k < n; ++k) names_put(nt, k, names[k]);
  names_free(t);
  t = nt;
  return true;
}

bool names_clone(NameTable &dst, const NameTable &src, int32_t n) {
  NameTable nt;
  if (!src.present()) {
    names_free(dst);
    return true;
  }
  int64_t bytes = 0;
  for (int32_t k = 0; k < n; ++k) bytes += static_cast<int64_t>(std::strlen(src.get(k))) + 1;
  nt.cap = round4(bytes);
  nt.off = mem_array<int64_t>(static_cast<size_t>(std::max(n, 1)));
  nt.buf = mem_array<char>(static_cast<size_t>(std::max<int64_t>(nt.cap, 4)));
  if (!nt.off || !nt.buf) {
    names_free(nt);
    return false;
  }
  for (int32_t k = 0; k < n; ++k) names_put(nt, k, src.get(k));
  names_free(dst);
  dst = nt;
  return true;
}

bool names_reserve_items(NameTable &t, int32_t itemcap) {
  return mem_grow(t.off, static_cast<size_t>(std::max(itemcap, 1)));
}

int64_t names_grown_capacity(const tvlenv *env, int64_t needed, int reserve_param) {
  int32_t r = param_int(env, reserve_param);
  int64_t cap = r >= 0 ? needed + 17 * int64_t{r}
                       : std::max(needed + needed / 5, needed + 1700);
  return round4(cap);
}

bool names_reserve_bytes(const tvlenv *env, NameTable &t, int32_t n, int64_t extra, int reserve_param) {
  if (t.used + extra <= t.cap) return true;
  int64_t live = 0;
  for (int32_t k = 0; k < n; ++k)
    if (t.off[k] >= 0) live += static_cast<int64_t>(std::strlen(t.get(k))) + 1;
  int64_t cap = names_grown_capacity(env, live + extra, reserve_param);
  char *buf = mem_array<char>(static_cast<size_t>(cap));
  if (!buf) return false;
  int64_t used = 0;
  for (int32_t k = 0; k < n; ++k) {
    if (t.off[k] < 0) continue;
    size_t len = std::strlen(t.get(k)) + 1;
    std::memcpy(buf + used, t.get(k), len);
    t.off[k] = used;
    used += static_cast<int64_t>(len);
  }
  mem_free(t.buf);
  t.buf = buf;
  t.used = used;
  t.cap = cap;
  return true;
}

void names_put(NameTable &t, int32_t k, const char *name) {
  size_t len = std::strlen(name) + 1;
  std::memcpy(t.buf + t.used, name, len);
  t.off[k] = t.used;
  t.used += static_cast<int64_t>(len);
}

// Number carried by a name of the form letter+digits, or -1.
static int64_t default_number(const char *s, char letter) {
  if (s[0] != letter || s[1] == '\0') return -1;
  int64_t v = 0;
  for (const char *p = s + 1; *p; ++p) {
    if (*p < '0' || *p > '9') return -1;
    if (v > (INT64_MAX - 9) / 10) return -1;
    v = v * 10 + (*p - '0');
  }
  return v;
}

static int digits(int64_t v) {
  int d = 1;
  while (v >= 10) {
    v /= 10;
    ++d;
  }
  return d;
}

bool names_fill_defaults(const tvlenv *env, NameTable &t, int32_t n, char letter, int64_t &counter,
                         int reserve_param) {
  int64_t missing = 0, nused = 0;
  for (int32_t k = 0; k < n; ++k) {
    if (t.off[k] < 0) ++missing;
    else if (default_number(t.get(k), letter) >= counter) ++nused;
  }
  if (missing == 0) return true;
  Scratch<int64_t> used(nused);
  if (!used.ok()) return false;
  int64_t u = 0;
  for (int32_t k = 0; k < n; ++k) {
    if (t.off[k] < 0) continue;
    int64_t v = default_number(t.get(k), letter);
    if (v >= counter) used[u++] = v;
  }
  std::sort(used.p, used.p + u);
  int64_t width = digits(counter + missing + nused) + 2;
  if (!names_reserve_bytes(env, t, n, missing * width, reserve_param)) return false;
  int64_t next = 0;
  char text[32];
  for (int32_t k = 0; k < n; ++k) {
    if (t.off[k] >= 0) continue;
    while (next < u && used[next] < counter) ++next;
    while (next < u && used[next] == counter) {
      ++counter;
      ++next;
    }
    std::snprintf(text, sizeof text, "%c%ld", letter, static_cast<long>(counter));
    ++counter;
    names_put(t, k, text);
  }
  return true;
}

bool names_create_defaults(const tvlenv *env, NameTable &t, int32_t n, int32_t itemcap, char letter,
                           int64_t &counter, int reserve_param) {
  NameTable nt;
  nt.off = mem_array<int64_t>(static_cast<size_t>(std::max(itemcap, 1)));
  if (!nt.off) return false;
  for (int32_t k = 0; k < n; ++k) nt.off[k] = -1;
  int64_t c = counter;
  if (!names_fill_defaults(env, nt, n, letter, c, reserve_param)) {
    names_free(nt);
    return false;
  }
  counter = c;
  names_free(t);
  t = nt;
  return true;
}

void names_delete(NameTable &t, const int32_t *delstat, int32_t oldn) {
  if (!t.present()) return;
  for (int32_t k = 0; k < oldn; ++k)
    if (delstat[k] >= 0) t.off[delstat[k]] = t.off[k];
}

}  // namespace tvl
