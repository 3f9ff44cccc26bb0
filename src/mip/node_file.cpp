#include "mip/node_file.h"

#include <unistd.h>

#include <cstring>
#include <utility>

#include "tavlo.h"

namespace tvl::mip {

namespace {

constexpr char kMagic = 'N';
constexpr uint8_t kPacked = 1, kHasBasis = 2;

template <class T>
void put_value(std::vector<char> &out, const T &v) {
  const char *p = reinterpret_cast<const char *>(&v);
  out.insert(out.end(), p, p + sizeof(T));
}

// Reads values from a record, failing (without reading past the end)
// when the record is too short.
class Reader {
 public:
  explicit Reader(const std::vector<char> &in) : in_(in) {}
  template <class T>
  bool get(T &v) {
    if (pos_ + sizeof(T) > in_.size()) return false;
    std::memcpy(&v, in_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return true;
  }
  bool statuses(std::vector<int8_t> &s, uint32_t count, bool packed) {
    s.resize(count);
    const size_t need = packed ? (count + 3) / 4 : count;
    if (pos_ + need > in_.size()) return false;
    for (uint32_t k = 0; k < count; ++k)
      s[k] = packed ? static_cast<int8_t>((static_cast<uint8_t>(in_[pos_ + k / 4]) >> (2 * (k % 4))) & 3)
                    : static_cast<int8_t>(in_[pos_ + k]);
    pos_ += need;
    return true;
  }
  bool at_end() const { return pos_ == in_.size(); }

 private:
  const std::vector<char> &in_;
  size_t pos_ = 0;
};

void put_statuses(std::vector<char> &out, const std::vector<int8_t> &s, bool packed) {
  if (!packed) {
    for (int8_t v : s) out.push_back(static_cast<char>(v));
    return;
  }
  const size_t base = out.size();
  out.resize(base + (s.size() + 3) / 4, 0);
  for (size_t k = 0; k < s.size(); ++k)
    out[base + k / 4] = static_cast<char>(static_cast<uint8_t>(out[base + k / 4]) | ((s[k] & 3) << (2 * (k % 4))));
}

bool statuses_fit_two_bits(const lp::Basis &b) {
  for (int8_t v : b.colstat)
    if (v < 0 || v > 3) return false;
  for (int8_t v : b.rowstat)
    if (v < 0 || v > 3) return false;
  return true;
}

constexpr size_t kFixedBytes = 2 + 4 * sizeof(double) + 4 * sizeof(int32_t) + 2 * sizeof(int64_t) + 1 +
                               3 * sizeof(uint32_t);

}  // namespace

size_t raw_record_size(const Node &node) {
  size_t n = kFixedBytes + node.changes.size() * (sizeof(int32_t) + 2 * sizeof(double));
  if (node.basis) n += node.basis->colstat.size() + node.basis->rowstat.size();
  return n;
}

void encode_node(const Node &node, bool packed, std::vector<char> &out) {
  out.clear();
  const bool has_basis = node.basis != nullptr;
  packed = packed && has_basis && statuses_fit_two_bits(*node.basis);
  out.push_back(kMagic);
  out.push_back(static_cast<char>((packed ? kPacked : 0) | (has_basis ? kHasBasis : 0)));
  put_value(out, node.bound);
  put_value(out, node.estimate);
  put_value(out, node.parent_obj);
  put_value(out, node.branch_dist);
  put_value(out, node.depth);
  put_value(out, node.iinf);
  put_value(out, node.fresh);
  put_value(out, node.branch_col);
  put_value(out, node.id);
  put_value(out, node.parent);
  out.push_back(node.dir);
  put_value(out, static_cast<uint32_t>(node.changes.size()));
  put_value(out, static_cast<uint32_t>(has_basis ? node.basis->colstat.size() : 0));
  put_value(out, static_cast<uint32_t>(has_basis ? node.basis->rowstat.size() : 0));
  for (const BoundChange &c : node.changes) {
    put_value(out, c.col);
    put_value(out, c.lower);
    put_value(out, c.upper);
  }
  if (has_basis) {
    put_statuses(out, node.basis->colstat, packed);
    put_statuses(out, node.basis->rowstat, packed);
  }
}

bool decode_node(const std::vector<char> &in, Node &node) {
  Reader r(in);
  char magic = 0;
  uint8_t flags = 0;
  uint32_t nchanges = 0, ncols = 0, nrows = 0;
  if (!r.get(magic) || magic != kMagic || !r.get(flags)) return false;
  if (!r.get(node.bound) || !r.get(node.estimate) || !r.get(node.parent_obj) || !r.get(node.branch_dist) ||
      !r.get(node.depth) || !r.get(node.iinf) || !r.get(node.fresh) || !r.get(node.branch_col) || !r.get(node.id) || !r.get(node.parent) ||
      !r.get(node.dir) || !r.get(nchanges) || !r.get(ncols) || !r.get(nrows))
    return false;
  if (nchanges > in.size()) return false;
  node.changes.resize(nchanges);
  for (BoundChange &c : node.changes)
    if (!r.get(c.col) || !r.get(c.lower) || !r.get(c.upper)) return false;
  node.basis.reset();
  if (flags & kHasBasis) {
    auto basis = std::make_shared<lp::Basis>();
    const bool packed = flags & kPacked;
    if (!r.statuses(basis->colstat, ncols, packed) || !r.statuses(basis->rowstat, nrows, packed)) return false;
    node.basis = std::move(basis);
  }
  return r.at_end();
}

NodeFile::NodeFile(int mode, std::string directory)
    : disk_(mode >= 2), packed_(mode == 1 || mode == 3), directory_(std::move(directory)) {}

NodeFile::~NodeFile() {
  if (fp_) std::fclose(fp_);
}

bool NodeFile::open_disk() {
  std::string path = (directory_.empty() ? std::string(".") : directory_) + "/tvlnodeXXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) return false;
  unlink(path.c_str());
  fp_ = fdopen(fd, "w+b");
  if (!fp_) {
    close(fd);
    return false;
  }
  return true;
}

bool NodeFile::write_disk(Record &rec, const std::vector<char> &bytes) {
  if (std::fseek(fp_, static_cast<long>(end_), SEEK_SET) != 0) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), fp_) != bytes.size()) return false;
  rec.offset = end_;
  end_ += static_cast<int64_t>(bytes.size());
  return true;
}

int64_t NodeFile::put(const Node &node) {
  if (error_) return -1;
  if (disk_ && !fp_ && !open_disk()) {
    error_ = TVLERR_COULD_NOT_OPEN_TEMPORARY_FILE;
    return -1;
  }
  encode_node(node, packed_, buffer_);
  Record rec;
  rec.length = static_cast<uint32_t>(buffer_.size());
  rec.raw_length = static_cast<uint32_t>(raw_record_size(node));
  if (disk_) {
    if (!write_disk(rec, buffer_)) {
      error_ = TVLERR_FAILURE_ON_TEMPORARY_FILE_WRITE;
      return -1;
    }
  } else {
    rec.data = std::move(buffer_);  // the next put encodes into a fresh buffer
  }
  bytes_ += rec.raw_length;
  stored_ += rec.length;
  ++live_;
  records_.push_back(std::move(rec));
  return static_cast<int64_t>(records_.size()) - 1;
}

void NodeFile::drop(int64_t record) {
  Record &rec = records_[static_cast<size_t>(record)];
  bytes_ -= rec.raw_length;
  stored_ -= rec.length;
  rec = Record();
  if (--live_ > 0) return;
  // Empty again: record numbers and file space start over.
  records_.clear();
  end_ = 0;
  if (fp_ && ftruncate(fileno(fp_), 0) != 0) error_ = TVLERR_FAILURE_ON_TEMPORARY_FILE_WRITE;
}

std::unique_ptr<Node> NodeFile::take(int64_t record) {
  Record &rec = records_[static_cast<size_t>(record)];
  std::vector<char> bytes;
  if (disk_) {
    bytes.resize(rec.length);
    if (std::fseek(fp_, static_cast<long>(rec.offset), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, bytes.size(), fp_) != bytes.size()) {
      error_ = TVLERR_FAILURE_ON_TEMPORARY_FILE_READ;
      return nullptr;
    }
  } else {
    bytes.swap(rec.data);
  }
  drop(record);
  auto node = std::make_unique<Node>();
  if (!decode_node(bytes, *node)) {
    error_ = TVLERR_FAILURE_ON_TEMPORARY_FILE_READ;
    return nullptr;
  }
  return node;
}

}  // namespace tvl::mip
