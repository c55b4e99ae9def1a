#pragma once
// Short byte strings, bytes in hex, list lookup and the ANSI code page.
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

// A short string holds at most 255 bytes; longer byte strings keep their first 255.
constexpr std::size_t ShortStringMax = 255;
std::string ShortString(const std::string& bytes);

// Bytes as the traces, markers and status lines show them: "1B 40 0A".
std::string FormatHex(std::string_view bytes);

// Index (from 0) of the first entry equal to text (whole, case-sensitive), or -1.
int IndexOfText(const QStringList& list, const QString& text);

// The code page the printer is sent: VEMIX_CODEPAGE when it names one that iconv converts
// both ways, else CP950 (Big5).
std::string AnsiCodePage();
// True when iconv converts between UTF-8 and the named code page both ways.
bool KnownCodePage(const std::string& name);
// The value of VEMIX_CODEPAGE when it is set but names no code page iconv knows.
std::optional<std::string> UnknownCodePage();
// Text to the code page; a character the code page lacks becomes "?". Both directions go
// through one code page object, opened once (again only when VEMIX_CODEPAGE changes).
std::string ToAnsi(const QString& text);
// Code-page bytes back to text; a byte sequence that does not decode becomes U+FFFD.
QString FromAnsi(const std::string& bytes);
