// Storage for open nodes that the in-memory tree has no room for.
//
// When the open nodes of the search take more than the working memory
// (TVL_PARAM_WORKMEM megabytes), the node queue moves nodes out to a node
// file; TVL_PARAM_NODEFILEIND chooses where:
//   0  no node file: the tree stays in memory (TVL_PARAM_TRELIM still
//      bounds it);
//   1  node file in memory, compressed (the default);
//   2  node file on disk, a temporary file in TVL_PARAM_WORKDIR;
//   3  node file on disk, compressed.
// The disk file is unlinked as soon as it is created, so nothing is left
// behind when the run ends or the process dies.
//
// A record holds the node's fields, its bound changes and its parent's
// basis (one status per column and row).  Compression stores the basis
// statuses four to a byte (they take the values 0 to 3) instead of one per
// byte, which is most of a record on models with many more rows and
// columns than bound changes.  The sizes before and after compression are
// kept for the node log.
//
// Failures to create, write or read the temporary file are reported as
// 1801, 1802 and 1803 through error(); the search then ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mip/node.h"

namespace tvl::mip {

class NodeFile {
 public:
  NodeFile(int mode, std::string directory);
  ~NodeFile();
  NodeFile(const NodeFile &) = delete;
  NodeFile &operator=(const NodeFile &) = delete;

  // Stores the node; returns its record number, or -1 with error() set.
  int64_t put(const Node &node);
  // Reads a record back and forgets it; nullptr with error() set when it
  // cannot be read.
  std::unique_ptr<Node> take(int64_t record);
  // Forgets a record that is no longer wanted (a pruned node).
  void drop(int64_t record);

  // Bytes of the stored nodes before compression and as stored.
  double bytes() const { return bytes_; }
  double stored_bytes() const { return stored_; }
  // 0, or the temporary-file status (1801 open, 1802 read, 1803 write).
  int error() const { return error_; }

 private:
  struct Record {
    int64_t offset = -1;  // in the disk file; -1 when held in memory or dropped
    uint32_t length = 0, raw_length = 0;
    std::vector<char> data;  // the record itself when the file is in memory
  };
  bool open_disk();
  bool write_disk(Record &rec, const std::vector<char> &bytes);

  bool disk_, packed_;
  std::string directory_;
  FILE *fp_ = nullptr;
  int64_t end_ = 0;  // end of the disk file
  std::vector<Record> records_;
  std::vector<char> buffer_;
  int64_t live_ = 0;  // records stored and not yet taken or dropped
  double bytes_ = 0.0, stored_ = 0.0;
  int error_ = 0;
};

// Serialised form of a node: with `packed`, basis statuses four per byte.
void encode_node(const Node &node, bool packed, std::vector<char> &out);
// Inverse of encode_node; false when `in` is not a well-formed record.
bool decode_node(const std::vector<char> &in, Node &node);
// Size of the record encode_node writes without packing.
size_t raw_record_size(const Node &node);

}  // namespace tvl::mip
