// The runtime's text functions. Text is UTF-8; positions and lengths are 1-based and count
// characters (code points), as the runtime counts them. Comparisons are binary (exact case).
// None of them raises: out-of-range arguments are clamped to the nearest sensible value.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vb {

inline const std::string vbCr = "\r";
inline const std::string vbLf = "\n";
inline const std::string vbCrLf = "\r\n";
inline const std::string vbTab = "\t";

int32_t Len(const std::string& s);
std::string Left(const std::string& s, int32_t length);
std::string Right(const std::string& s, int32_t length);
// From start to the end, or at most length characters from start.
std::string Mid(const std::string& s, int32_t start);
std::string Mid(const std::string& s, int32_t start, int32_t length);

// Position of the first find at or after start; 0 when absent. An empty find gives start.
int32_t InStr(const std::string& s, const std::string& find);
int32_t InStr(int32_t start, const std::string& s, const std::string& find);
// Position of the last find that lies wholly within the first start characters (-1: all).
int32_t InStrRev(const std::string& s, const std::string& find, int32_t start = -1);

// Blanks only (not tabs or line ends).
std::string Trim(const std::string& s);
std::string LTrim(const std::string& s);
std::string RTrim(const std::string& s);

std::string LCase(const std::string& s);
std::string UCase(const std::string& s);

// Every (or the first count) occurrence of find replaced, scanning left to right.
std::string Replace(const std::string& s, const std::string& find, const std::string& with,
                    int32_t count = -1);

// Pieces between the delimiters; an empty text gives no pieces, an empty delimiter one piece.
std::vector<std::string> Split(const std::string& s, const std::string& delimiter = " ");

// The character with that code, and the code of the first character (0 for an empty text).
std::string Chr(int32_t code);
int32_t Asc(const std::string& s);

std::string Space(int32_t n);

// Pattern match: ? one character, * any run, # one digit, [abc] [a-z] [!abc] one of / none of.
// A malformed pattern (an unclosed "[") matches nothing.
bool Like(const std::string& s, const std::string& pattern);

}  // namespace vb
