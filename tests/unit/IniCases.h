#pragma once

// Reader of tests/data/ini_cases.txt (its format is described at the top of that file).
// Standard library only, so a Windows-side runner can include it as well.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace inicases {

struct Op {
  enum Kind { Read, Write, Result } kind;
  std::vector<std::string> fields;  // read: 4, write: 3, result: 1
  int lineNo = 0;
};

struct Case {
  std::string name;
  bool hasFile = false;
  std::string file;
  std::vector<Op> ops;
};

// Decodes the escapes; when `fields` is set, unescaped "|" separates fields.
inline std::vector<std::string> Decode(const std::string& s, bool fields) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '|' && fields) {
      out.emplace_back();
      continue;
    }
    if (c != '\\') {
      out.back() += c;
      continue;
    }
    if (++i >= s.size()) throw std::runtime_error("dangling backslash");
    switch (s[i]) {
      case 'r': out.back() += '\r'; break;
      case 'n': out.back() += '\n'; break;
      case 't': out.back() += '\t'; break;
      case 's': out.back() += ' '; break;
      case '\\': out.back() += '\\'; break;
      case '|': out.back() += '|'; break;
      case 'x': {
        if (i + 2 >= s.size()) throw std::runtime_error("short \\x");
        out.back() += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
        i += 2;
        break;
      }
      case '*': {
        const std::size_t colon = s.find(':', i);
        if (colon == std::string::npos || colon + 1 >= s.size()) throw std::runtime_error("bad \\*");
        const std::size_t n = std::stoul(s.substr(i + 1, colon - i - 1));
        out.back().append(n, s[colon + 1]);
        i = colon + 1;
        break;
      }
      default: throw std::runtime_error(std::string("unknown escape \\") + s[i]);
    }
  }
  return out;
}

inline std::vector<Case> Parse(const std::string& content) {
  std::vector<Case> cases;
  Case* open = nullptr;
  std::size_t pos = 0;
  int lineNo = 0;
  while (pos < content.size()) {
    std::size_t nl = content.find('\n', pos);
    if (nl == std::string::npos) nl = content.size();
    std::string line = content.substr(pos, nl - pos);
    pos = nl + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t sp = line.find(' ');
    const std::string word = line.substr(0, sp);
    const std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);
    const std::string where = " at line " + std::to_string(lineNo);
    if (word == "case") {
      if (open) throw std::runtime_error("case inside case" + where);
      cases.push_back({rest, false, {}, {}});
      open = &cases.back();
      continue;
    }
    if (!open) throw std::runtime_error("directive outside a case" + where);
    if (word == "end") {
      open = nullptr;
    } else if (word == "file") {
      open->hasFile = true;
      open->file = Decode(rest, false)[0];
    } else if (word == "read" || word == "write") {
      Op op{word == "read" ? Op::Read : Op::Write, Decode(rest, true), lineNo};
      if (op.fields.size() != (op.kind == Op::Read ? 4u : 3u))
        throw std::runtime_error("wrong number of fields" + where);
      open->ops.push_back(op);
    } else if (word == "result") {
      open->ops.push_back({Op::Result, Decode(rest, false), lineNo});
    } else {
      throw std::runtime_error("unknown directive " + word + where);
    }
  }
  if (open) throw std::runtime_error("last case has no end");
  return cases;
}

}  // namespace inicases
