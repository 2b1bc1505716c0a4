// Runs the INI case table (tests/data/ini_cases.txt) through the Windows edition's profile
// store, that is GetPrivateProfileStringW / WritePrivateProfileStringW, so that the
// portable store of the Linux edition and the Windows API read a settings file alike.
// The table's "result" lines give the portable store's layout; the Windows API lays a file
// out its own way, so only reads and the success of writes are compared here.
//
//   ini_agreement <case table> <scratch folder>
//
// Stops at the first disagreement with exit code 1 and says where; 2 for a bad table.

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "win32/Win32Services.h"
#include "win32/Win32ServicesText.h"

namespace {

struct TableError {
  std::string text;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  throw TableError{std::string("bad hex digit '") + c + "'"};
}

// The table's escapes: \r \n \t \s \\ \| \xHH \*N:c.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i >= text.size()) throw TableError{"a lone backslash at the end"};
    switch (text[i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 's': out += ' '; break;
      case '\\': out += '\\'; break;
      case '|': out += '|'; break;
      case 'x': {
        if (i + 2 >= text.size()) throw TableError{"short \\x escape"};
        out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
        i += 2;
        break;
      }
      case '*': {
        const std::size_t colon = text.find(':', i + 1);
        if (colon == std::string::npos || colon + 1 >= text.size())
          throw TableError{"bad \\* escape"};
        const std::size_t count = std::stoul(text.substr(i + 1, colon - i - 1));
        out.append(count, text[colon + 1]);
        i = colon + 1;
        break;
      }
      default:
        throw TableError{std::string("unknown escape \\") + text[i]};
    }
  }
  return out;
}

// Splits at the bars that are not escaped, then unescapes each field.
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> raw(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      raw.back() += text.substr(i, 2);
      ++i;
    } else if (text[i] == '|') {
      raw.emplace_back();
    } else {
      raw.back() += text[i];
    }
  }
  std::vector<std::string> fields;
  for (const std::string& f : raw) fields.push_back(Unescape(f));
  return fields;
}

std::string Shown(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    } else out += static_cast<char>(c);
  }
  if (out.size() > 120) out = out.substr(0, 60) + "...(" + std::to_string(s.size()) + " bytes)";
  return "\"" + out + "\"";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileW(win32::Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw TableError{"cannot create " + path};
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  if (!ok || written != bytes.size()) throw TableError{"cannot write " + path};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: ini_agreement <case table> <scratch folder>\n");
    return 2;
  }
  std::string table;
  if (!platform::files::ReadAll(argv[1], table)) {
    std::printf("ini_agreement: cannot read %s\n", argv[1]);
    return 2;
  }
  std::string scratch = argv[2];
  if (scratch.back() != '\\' && scratch.back() != '/') scratch += '\\';

  win32::Win32Services services;
  platform::ProfileStore& profile = services.Profile();

  std::istringstream lines(table);
  std::string line, caseName, file;
  int lineNo = 0, cases = 0, reads = 0, writes = 0;
  bool inCase = false;
  try {
    while (std::getline(lines, line)) {
      ++lineNo;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      const std::size_t space = line.find(' ');
      const std::string directive = line.substr(0, space);
      const std::string text = space == std::string::npos ? std::string() : line.substr(space + 1);
      auto where = [&] { return "line " + std::to_string(lineNo) + ", case \"" + caseName + "\""; };

      if (directive == "case") {
        if (inCase) throw TableError{"case inside a case"};
        inCase = true;
        caseName = text;
        ++cases;
        file = scratch + "case" + std::to_string(cases) + ".ini";
        DeleteFileW(win32::Utf8ToWide(file).c_str());
        continue;
      }
      if (!inCase) throw TableError{"\"" + directive + "\" outside a case"};
      if (directive == "end") {
        inCase = false;
        DeleteFileW(win32::Utf8ToWide(file).c_str());
      } else if (directive == "file") {
        WriteBytes(file, Unescape(text));
      } else if (directive == "result") {
        // The portable layout; see above.
      } else if (directive == "read") {
        const std::vector<std::string> f = Fields(text);
        if (f.size() != 4) throw TableError{"a read needs 4 fields"};
        const std::string got = profile.ReadString(file, f[0], f[1], f[2]);
        ++reads;
        if (got != f[3]) {
          std::printf("DISAGREE at %s: [%s] %s (default %s) reads %s, the table expects %s\n",
                      where().c_str(), Shown(f[0]).c_str(), Shown(f[1]).c_str(),
                      Shown(f[2]).c_str(), Shown(got).c_str(), Shown(f[3]).c_str());
          return 1;
        }
      } else if (directive == "write") {
        const std::vector<std::string> f = Fields(text);
        if (f.size() != 3) throw TableError{"a write needs 3 fields"};
        ++writes;
        if (!profile.WriteString(file, f[0], f[1], f[2])) {
          std::printf("DISAGREE at %s: writing [%s] %s = %s failed\n", where().c_str(),
                      Shown(f[0]).c_str(), Shown(f[1]).c_str(), Shown(f[2]).c_str());
          return 1;
        }
      } else {
        throw TableError{"unknown directive \"" + directive + "\""};
      }
    }
    if (inCase) throw TableError{"the last case has no \"end\""};
  } catch (const TableError& e) {
    std::printf("ini_agreement: bad case table at line %d: %s\n", lineNo, e.text.c_str());
    return 2;
  } catch (const std::exception& e) {
    std::printf("ini_agreement: bad case table at line %d: %s\n", lineNo, e.what());
    return 2;
  }
  std::printf("ini_agreement: %d cases, %d reads and %d writes agree\n", cases, reads, writes);
  return 0;
}
