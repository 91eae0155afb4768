#include "store/text_shape.h"

namespace tallix {
namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

std::string latin1ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

// The text in Latin-1, or false when a character lies beyond it.
bool utf8ToLatin1(std::string_view text, std::string& bytes) {
  bytes.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      bytes.push_back(text[i]);
    } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size()) {
      bytes.push_back(static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F)));
    } else {
      return false;
    }
  }
  return true;
}

std::string withLineEnds(std::string_view text, bool crlf) {
  std::string out;
  out.reserve(text.size() + (crlf ? text.size() / 16 : 0));
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // made plain first
    if (text[i] == '\n' && crlf) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    unsigned least = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      least = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    unsigned value = lead & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if (value < least || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

std::string textForEditing(std::string_view fileBytes, TextShape& shape) {
  shape = {};
  shape.byteOrderMark = fileBytes.starts_with(kMark);
  if (shape.byteOrderMark) fileBytes.remove_prefix(kMark.size());
  shape.crlf = fileBytes.find("\r\n") != std::string_view::npos;
  shape.latin1 = !isUtf8(fileBytes);
  const std::string text = shape.latin1 ? latin1ToUtf8(fileBytes) : std::string(fileBytes);
  return withLineEnds(text, false);
}

std::string textForFile(std::string_view text, const TextShape& shape) {
  const std::string lines = withLineEnds(text, shape.crlf);
  std::string bytes;
  if (shape.latin1 && utf8ToLatin1(lines, bytes)) return bytes;
  return (shape.byteOrderMark ? std::string(kMark) : std::string()) + lines;
}

}  // namespace tallix
