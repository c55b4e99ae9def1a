#pragma once
// A page as the paper view draws it: the bytes that go to the printer, decoded in their set
// onto paper of the page's width, as the virtual printer does with what it receives.
#include "Commands/CommandSet.h"

#include <QImage>
#include <string>

// Needs a QGuiApplication (fonts).
QImage PreviewImage(TCommandSet set, const std::string& bytes, int widthDots);
