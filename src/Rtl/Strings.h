#pragma once
// Short byte strings, list lookup and the ANSI code page.
#include <QString>
#include <QStringList>
#include <string>

// A short string holds at most 255 bytes; longer byte strings keep their first 255.
constexpr std::size_t ShortStringMax = 255;
std::string ShortString(const std::string& bytes);

// Index (from 0) of the first entry equal to text (whole, case-sensitive), or -1.
int IndexOfText(const QStringList& list, const QString& text);

// The ANSI code page: VEMIX_CODEPAGE when set, else CP950 (Big5).
std::string AnsiCodePage();
// Text to the code page; a character the code page lacks becomes "?".
std::string ToAnsi(const QString& text);
// Code-page bytes back to text; a byte sequence that does not decode becomes U+FFFD.
QString FromAnsi(const std::string& bytes);
