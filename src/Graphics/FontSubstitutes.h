#pragma once
// Maps the Windows face names the window asks for to the Big5 Ming and sans faces here.
void InstallFontSubstitutes();
