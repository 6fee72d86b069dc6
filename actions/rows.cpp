#include "actions/rows.h"

namespace {

StrDesc Bytes(const std::string& s) { return MakeDesc(s.data(), s.size()); }

RowColumn* Column(void* context) { return static_cast<RowColumn*>(context); }

}  // namespace

RowList RowListOf(RowColumn* column) {
  RowList list{};
  list.context = column;
  list.count = [](void* c) {
    const std::size_t n = Column(c)->lines.size();
    return static_cast<std::uint16_t>(n > 65535 ? 65535 : n);
  };
  list.line = [](void* c, std::uint16_t row) {
    return row < Column(c)->lines.size() ? Bytes(Column(c)->lines[row]) : EmptyDesc();
  };
  list.name = [](void* c, std::uint16_t row) {
    return row < Column(c)->names.size() ? Bytes(Column(c)->names[row]) : EmptyDesc();
  };
  list.replace = [](void* c, std::uint16_t row, StrDesc line, StrDesc name) {
    RowColumn* column = Column(c);
    if (row >= column->lines.size() || row >= column->names.size()) return;
    column->lines[row].assign(line.ptr, line.len);
    column->names[row].assign(name.ptr, name.len);
    if (column->on_replace != nullptr) column->on_replace(column->hook_context, row);
  };
  return list;
}
