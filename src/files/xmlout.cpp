// Element writer of the solution and MIP-start documents.
#include "files/xmlout.h"

namespace tvl {

void XmlOut::put(const char *s) {
  if (std::fputs(s, fp_) < 0) failed_ = true;
}

void XmlOut::indent() {
  for (int k = 0; k < depth_; ++k) std::fputc(' ', fp_);
}

void XmlOut::prolog() { std::fprintf(fp_, "%s\n", "<?xml version = \"1.0\" standalone=\"yes\"?>"); }

void XmlOut::begin(const char *name) {
  indent();
  std::fprintf(fp_, "<%s", name);
}

void XmlOut::text(const char *attr, const char *value) {
  std::fprintf(fp_, " %s=\"", attr);
  for (const char *p = value ? value : ""; *p; ++p) {
    switch (*p) {
      case '&': put("&amp;"); break;
      case '<': put("&lt;"); break;
      case '>': put("&gt;"); break;
      case '\'': put("&apos;"); break;
      case '"': put("&quot;"); break;
      default: std::fputc(*p, fp_);
    }
  }
  std::fputc('"', fp_);
}

void XmlOut::integer(const char *attr, long long value) { std::fprintf(fp_, " %s=\"%lld\"", attr, value); }

void XmlOut::number(const char *attr, double value) { std::fprintf(fp_, " %s=\"%.15g\"", attr, value); }

void XmlOut::open() {
  put(">\n");
  ++depth_;
}

void XmlOut::empty() { put("/>\n"); }

void XmlOut::end(const char *name) {
  --depth_;
  indent();
  std::fprintf(fp_, "</%s>\n", name);
}

}  // namespace tvl
