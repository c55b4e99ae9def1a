#pragma once
// The program's own choices that the libraries leave open.

// The Windows face names the window asks for, mapped to the Big5 Ming and sans faces here.
void InstallProgramFonts();
// VEMIX_COM1.., VEMIX_LPT1.. and VEMIX_NET override each port's device for one run.
void InstallPortVariables();
// A VEMIX_CODEPAGE that iconv does not know: says so on standard error at once, and in one
// box once the window is up (the event loop runs); the printer gets CP950 meanwhile.
void ReportUnknownCodePage();
