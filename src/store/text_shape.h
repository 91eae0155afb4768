// A hand-edited text file's shape, kept across an edit: its encoding (UTF-8,
// or a single-byte file read as Latin-1), a leading byte-order mark, and its
// line ends. The program edits the text as UTF-8 with plain line feeds and
// writes it back the way the user's editor wrote it.
#pragma once

#include <string>
#include <string_view>

namespace tallix {

struct TextShape {
  bool byteOrderMark = false;  // the file began with EF BB BF
  bool crlf = false;           // its lines end in CR LF
  bool latin1 = false;         // it is not UTF-8: each byte is one character
};

bool isUtf8(std::string_view bytes);

// The file's bytes as UTF-8 text with line feeds and no mark; `shape` learns
// how to write it back.
std::string textForEditing(std::string_view fileBytes, TextShape& shape);

// The edited UTF-8 text in the file's own shape. A single-byte file that is
// given a character it cannot hold becomes UTF-8, so nothing typed is lost.
std::string textForFile(std::string_view text, const TextShape& shape);

}  // namespace tallix
