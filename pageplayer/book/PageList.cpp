#include "PageList.h"

#include <cstdint>
#include <cstdlib>

namespace pageplayer {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c) { return c != '/' && c != '>' && c != '=' && !IsSpace(c); }

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x110000) {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Entities it does not know stay as written.
std::string DecodeEntities(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (end == std::string_view::npos || end - i > 10) {
      out += text[i];
      continue;
    }
    const std::string_view name = text.substr(i + 1, end - i - 1);
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() > 1 && name[0] == '#') {
      const std::string digits(name.substr(name[1] == 'x' ? 2 : 1));
      char* stop = nullptr;
      const unsigned long code = std::strtoul(digits.c_str(), &stop, name[1] == 'x' ? 16 : 10);
      if (digits.empty() || *stop) {
        out += text[i];
        continue;
      }
      AppendUtf8(out, static_cast<std::uint32_t>(code));
    } else {
      out += text[i];
      continue;
    }
    i = end;
  }
  return out;
}

struct TTag {
  std::string_view name;
  std::string_view attributes;
};

// Walks the start tags of a document, skipping comments, processing
// instructions, declarations and end tags.
class TTagWalker {
public:
  explicit TTagWalker(std::string_view document) : text_(document) {}

  std::optional<TTag> Next() {
    while ((position_ = text_.find('<', position_)) != std::string_view::npos) {
      const std::string_view rest = text_.substr(position_);
      if (rest.starts_with("<!--")) {
        if (!SkipPast("-->")) return std::nullopt;
        continue;
      }
      if (rest.starts_with("<?") || rest.starts_with("<!") || rest.starts_with("</")) {
        if (!SkipPast(">")) return std::nullopt;
        continue;
      }
      const std::size_t close = FindTagEnd(position_ + 1);
      if (close == std::string_view::npos) return std::nullopt;
      std::size_t nameEnd = position_ + 1;
      while (nameEnd < close && IsNameChar(text_[nameEnd])) ++nameEnd;
      TTag tag{text_.substr(position_ + 1, nameEnd - position_ - 1), text_.substr(nameEnd, close - nameEnd)};
      position_ = close + 1;
      return tag;
    }
    return std::nullopt;
  }

private:
  bool SkipPast(std::string_view end) {
    const std::size_t found = text_.find(end, position_);
    if (found == std::string_view::npos) return false;
    position_ = found + end.size();
    return true;
  }

  // The closing ">" outside quoted attribute values.
  std::size_t FindTagEnd(std::size_t from) const {
    char quote = 0;
    for (std::size_t i = from; i < text_.size(); ++i) {
      const char c = text_[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return i;
      }
    }
    return std::string_view::npos;
  }

  std::string_view text_;
  std::size_t position_ = 0;
};

std::optional<std::string> Attribute(std::string_view attributes, std::string_view wanted) {
  std::size_t i = 0;
  while (i < attributes.size()) {
    while (i < attributes.size() && (IsSpace(attributes[i]) || attributes[i] == '/')) ++i;
    const std::size_t nameStart = i;
    while (i < attributes.size() && IsNameChar(attributes[i])) ++i;
    const std::string_view name = attributes.substr(nameStart, i - nameStart);
    while (i < attributes.size() && IsSpace(attributes[i])) ++i;
    if (i >= attributes.size() || attributes[i] != '=') {
      if (name.empty()) ++i;
      continue;
    }
    ++i;
    while (i < attributes.size() && IsSpace(attributes[i])) ++i;
    std::string_view value;
    if (i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'')) {
      const std::size_t end = attributes.find(attributes[i], i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      value = attributes.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      const std::size_t start = i;
      while (i < attributes.size() && !IsSpace(attributes[i]) && attributes[i] != '/') ++i;
      value = attributes.substr(start, i - start);
    }
    if (name == wanted) return DecodeEntities(value);
  }
  return std::nullopt;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<TPageList> ParsePageList(std::string_view document) {
  if (document.size() > kLargestPageList) return std::nullopt;
  if (document.starts_with("\xEF\xBB\xBF")) document.remove_prefix(3);
  TTagWalker walker(document);
  std::optional<TPageList> list;
  while (auto tag = walker.Next()) {
    if (tag->name == "book" && !list) {
      list.emplace();
      list->title = Attribute(tag->attributes, "title").value_or("");
    } else if (tag->name == "page" && list) {
      const auto source = Attribute(tag->attributes, "src");
      if (source && !Trimmed(*source).empty()) {
        if (list->pages.size() == kMostPages) return std::nullopt;
        list->pages.emplace_back(Trimmed(*source));
      }
    }
  }
  if (!list || list->pages.empty()) return std::nullopt;
  return list;
}

}  // namespace pageplayer
