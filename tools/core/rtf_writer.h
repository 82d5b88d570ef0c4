#pragma once
// A small RTF writer: paragraphs of runs of text, each run in one font of a
// font table and one size. Qt-free.
#include <string>
#include <vector>

struct RtfRun {
  std::string text;    // read as game/display_text.h reads it; "\n" becomes a line break, "\t" a tab
  int font = 0;        // index into the font table
  int halfPoints = 20; // size in half points
};

struct RtfParagraph {
  std::vector<RtfRun> runs;
};

// The whole file: header with the font table, then one \par per paragraph
// but the last. "\", "{" and "}" are escaped; Windows-1252 characters beyond
// ASCII are written as \'hh, all others as \uN?.
std::string WriteRtf(const std::vector<std::string>& fonts, const std::vector<RtfParagraph>& paragraphs);
