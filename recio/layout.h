// Record layouts in edit-descriptor notation ("(A8,I4,10I6)", "(/1X,'TEXT',T45,'==> ',$)"),
// compiled once and then used to write records and to read items from records, with the
// results a Fortran runtime gives for the same layout.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace recio {

// Result of a read: success, a read error (a field that is not a number, a bad layout),
// or the end of the records.
enum class Outcome { ok, error, eof };

// One value to write: an integer (I), a real (F) or a text (A).
class Out {
 public:
  enum class Kind { integer, real, text };
  Out(int32_t v) : kind_(Kind::integer), i_(v) {}
  Out(float v) : kind_(Kind::real), r_(v) {}
  Out(double v) : kind_(Kind::real), r_(static_cast<float>(v)) {}
  Out(std::string_view s) : kind_(Kind::text), s_(s) {}
  Out(const char* s) : kind_(Kind::text), s_(s) {}
  Out(const std::string& s) : kind_(Kind::text), s_(s) {}
  Kind kind() const { return kind_; }
  int32_t integer() const { return i_; }
  float real() const { return r_; }
  std::string_view text() const { return s_; }

 private:
  Kind kind_;
  int32_t i_ = 0;
  float r_ = 0.0f;
  std::string_view s_;
};

// One destination of a read. A text destination is a fixed-width field: the string's
// current size is the field's width and is never changed by a read.
class In {
 public:
  enum class Kind { integer, real, text };
  In(int32_t& v) : kind_(Kind::integer), i_(&v) {}
  In(float& v) : kind_(Kind::real), r_(&v) {}
  In(std::string& s) : kind_(Kind::text), s_(&s) {}
  Kind kind() const { return kind_; }
  int32_t& integer() const { return *i_; }
  float& real() const { return *r_; }
  std::string& text() const { return *s_; }

 private:
  Kind kind_;
  int32_t* i_ = nullptr;
  float* r_ = nullptr;
  std::string* s_ = nullptr;
};

// Hands a read its records one after another (a file unit, or a single internal record).
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // Sets `record` to the next record (without its line end) and returns ok, or returns eof.
  virtual Outcome next(std::string& record) = 0;
  // The same as a view that stays valid until the next call; sources that hold their
  // records override it to spare the copy.
  virtual Outcome next_view(std::string_view& record) {
    Outcome o = next(buffer_);
    record = buffer_;
    return o;
  }

 private:
  std::string buffer_;
};

// Records produced by one write. `open_end` is true when the layout ends with "$": the last
// record is left open and the next write continues it.
struct Records {
  std::vector<std::string> lines;
  bool open_end = false;
};

struct CompiledLayout;  // the interpreter's internal form

// A compiled layout: cheap to copy, immutable, reusable for any number of reads and writes.
class Layout {
 public:
  // Compiles a layout text; nullopt when the text is not a valid layout.
  static std::optional<Layout> compile(std::string_view text);
  // Compiles one of the program's own layout texts; an invalid text is a programming error.
  static Layout fixed(std::string_view text);

  const std::string& text() const;
  bool open_end() const;  // ends with "$"
  const CompiledLayout& compiled() const { return *impl_; }

 private:
  std::shared_ptr<const CompiledLayout> impl_;
};

// Writes the items with the layout.
Records write(const Layout& layout, std::span<const Out> items);
inline Records write(const Layout& layout, std::initializer_list<Out> items) {
  return write(layout, std::span<const Out>(items.begin(), items.size()));
}

// Reads the items with the layout, taking records from `source` (one at first, one more
// for every "/" and every reversion). Items before a failing field keep what they got;
// the failing item and those after it are not stored. A read always finishes its last
// record, also with a "$" layout. A comma ends a numeric field early (on internal records
// too, where gfortran would report an error).
Outcome read(const Layout& layout, RecordSource& source, std::span<const In> items);
inline Outcome read(const Layout& layout, RecordSource& source, std::initializer_list<In> items) {
  return read(layout, source, std::span<const In>(items.begin(), items.size()));
}

// Reads from one internal record; a layout that needs a second record meets eof.
Outcome read(const Layout& layout, std::string_view record, std::span<const In> items);
inline Outcome read(const Layout& layout, std::string_view record,
                    std::initializer_list<In> items) {
  return read(layout, record, std::span<const In>(items.begin(), items.size()));
}

// Free-form reads of one number from an answer: the first value, delimited by blanks,
// commas or the end of the text. nullopt when the text holds no such number.
std::optional<int32_t> read_free_int(std::string_view text);
std::optional<float> read_free_real(std::string_view text);

// Free-form read of `values.size()` reals across as many records of `source` as needed
// (blank records skipped). Values read before an error or the end keep their values.
Outcome read_free_reals(RecordSource& source, std::span<float> values);

}  // namespace recio
