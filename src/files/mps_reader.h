// MPS reader (fixed and free layouts).  The text is parsed into a
// ModelImage; nothing touches a problem until the whole file has been read.
//
// Sections: NAME, OBJSENSE (inline "OBJSENSE MAX" or as a section), OBJNAME,
// ROWS, COLUMNS (with 'MARKER' 'INTORG'/'INTEND' and 'SOSORG'/'SOSEND'
// blocks), RHS, RANGES, BOUNDS, SOS, QUADOBJ, QMATRIX (or QSECTION),
// QCMATRIX, INDICATORS, ENDATA.  See docs/files.md for the conventions chosen where the layout is
// open (objective constant, negative upper bounds, ranges, SOS lines).
#pragma once

#include <cstdio>
#include <string_view>

#include "files/mps_image.h"
#include "files/mps_names.h"
#include "tavlo.h"

namespace tvl {

// Parses MPS text.  `fixed` selects the fixed-column layout (lines that do
// not follow the columns are read as words).  Returns 0, or the negated
// status after reporting it (codes 1431-1487, 1552, 3301, 1001).
int mps_parse(const tvlenv *env, std::string_view text, bool fixed, ModelImage &img);

// Reads the rest of the stream and parses it.
int mps_read(const tvlenv *env, FILE *fp, bool fixed, ModelImage &img);

namespace mps {

enum class Section { Start, Name, ObjSense, ObjName, Rows, Columns, Rhs, Ranges, Bounds, Sos,
                     QuadObj, QMatrix, QCMatrix, Indicators, End };

// Values stored in the row index besides row numbers.
inline constexpr int32_t kObjRow = -1;
inline constexpr int32_t kFreeRow = -2;

// Per-column bound bookkeeping while BOUNDS is read.
enum BoundFlag : uint8_t { kLoGiven = 1, kUpGiven = 2, kBvGiven = 4, kNegUp = 8 };

// Quadratic term read from a file, with its line for repeat messages.
struct QTerm {
  int32_t a, b;
  double v;
  int32_t line;
};

// The parser state; the section handlers live in mps_read.cpp and
// mps_read_parts.cpp.
class Parser {
 public:
  Parser(const tvlenv *env, bool fixed, ModelImage &img) : env_(env), fixed_(fixed), img_(img) {}
  int run(std::string_view text);

 private:
  // Line dispatch.
  int header_line(std::string_view line);
  int data_line(std::string_view line);
  int cut(std::string_view line);          // fills f_ (fixed grid) or w_ (words)
  bool grid_plausible() const;
  bool grid_refs_known() const;
  Section qsection_kind(std::string_view name) const;
  int enter_section(Section s, std::string_view line);
  int close_rows();

  // Section handlers.
  int name_line(std::string_view line);
  int objsense_value(std::string_view word);
  int rows_line();
  int columns_line();
  int marker(std::string_view colname, std::string_view keyword);
  int column_entry(std::string_view row, std::string_view val);
  int rim_line(bool ranges);
  int bounds_line();
  int apply_bound(std::string_view type, int32_t col, std::string_view val, bool has_val);
  int sos_line();
  int quad_line();
  int qcmatrix_header(std::string_view line);
  int qc_line();
  int indicators_line();

  // Assembly of the image once ENDATA is read.
  int finish();
  int finish_rows();
  int finish_quadratic();
  void complete_qsection();
  void finish_sos();

  // Helpers.
  int number(std::string_view s, double *v);
  int name_ok(std::string_view s);
  int32_t col_of(std::string_view s) const { return colidx_.find(s); }
  int32_t row_of(std::string_view s) const { return rowidx_.find(s); }
  int fail(int code);
  int fail_name(int code, std::string_view name);
  int fail_names(int code, const char *what, std::string_view a, std::string_view b);
  bool known_col_word(std::string_view s) const { return col_of(s) != NameIndex::kMissing; }

  const tvlenv *env_;
  bool fixed_;
  ModelImage &img_;
  int line_ = 0;
  Section sec_ = Section::Start;
  bool seen_rows_ = false, seen_columns_ = false, seen_bounds_ = false, seen_quad_ = false;
  bool seen_later_ = false;
  bool seen_qobj_ = false;     // a QUADOBJ or QMATRIX section was read
  int64_t qsection_from_ = -1;  // first objective term of a QSECTION, -1 without one

  // Current line, cut.
  bool grid_ = false;
  std::string_view f_[6];
  std::string_view w_[8];
  int nw_ = 0;

  // ROWS.
  NameIndex rowidx_{1024};
  Vec<std::string_view> rowname_;   // linear rows (N rows excluded)
  Vec<char> rowsense_;
  std::string_view objrow_;         // name of the objective row
  std::string_view objname_hint_;   // OBJNAME, when given
  bool have_obj_ = false;

  // COLUMNS.
  NameIndex colidx_{1024};
  Vec<std::string_view> colname_;
  Vec<int32_t> mark_;               // per row: last column with an entry there
  bool obj_set_ = false;            // current column has an objective entry
  bool in_int_ = false, in_sosmark_ = false;
  int32_t markset_ = -1;

  // RHS / RANGES / BOUNDS.
  Vec<double> rhsval_, rngval_;
  Vec<uint8_t> rhs_seen_, rng_seen_;
  bool objconst_seen_ = false;
  std::string_view rimset_[3];
  bool rimset_given_[3] = {false, false, false};
  Vec<uint8_t> bflag_;

  // SOS.
  NameIndex sosidx_{16};
  Vec<int32_t> sosmark_;            // per column: last set holding it
  bool sos_open_ = false;           // a set of the SOS section is being read

  // Quadratic objective and constraints.
  Vec<QTerm> qobj_;
  Vec<int32_t> qcrow_;              // per quadratic constraint: its row
  Vec<int32_t> qcline_;
  Vec<QTerm> qcterm_;               // a = variable, b = variable, line; grouped by constraint
  Vec<int32_t> qcbeg_;               // start of each constraint's terms
  Vec<int32_t> rowrole_;            // per row: 0 linear, 1+k quadratic k, -(1+k) indicator k

  // Indicators (row, column, value) in file order.
  Vec<int32_t> icrow_, iccol_, icval_, icline_;
};

}  // namespace mps
}  // namespace tvl
