// Looking at the files behind a row: opening a file with the desktop's
// program for its type, showing a file in a viewer, and the line-by-line
// report of a row's two copies, shown in the text viewer.
//
// Every file reaches its program as one argument word holding exactly its
// bytes: it is quoted when the command text is built (see FileArgument), and
// no shell ever reads the text. A program that cannot be started is reported
// by status with its name in the DetailLog. None of these leaves anything on
// the area, except ViewerProgram and FileArgument, which build one string.
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

// The viewers; viewer n is item n. An item that starts with "." is a format
// whose %s takes kAppPathsKey: the program's App Paths default value.
inline constexpr StrDesc kViewerList =
    Lit("xdg-open,.%sIexplore.exe\\,.%sAcroRd32.exe\\,.%sWORDPAD.EXE\\,.%ssoffice.exe\\");
inline constexpr std::uint16_t kViewerText = 1;  // the text viewer

// The registry paths asked: an extension's Open-with list (value "a"), and
// the key prefix of a program's registered path (its default value).
inline constexpr StrDesc kOpenWithFormat =
    Lit("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%s"
        "\\OpenWithList\\a");
inline constexpr StrDesc kAppPathsKey =
    Lit("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");
inline constexpr std::uint16_t kRegistryPathLimit = 384;

// The external comparer: it says when two files are identical, and otherwise
// lists the differing lines with both files' dates.
inline constexpr StrDesc kComparer = Lit("diff -s -u");

// OpenWithAssociated's status when the file's type has no program.
inline constexpr StatusWord kNoAssociatedProgram = kFailure;

// The path as one argument word of a command text: "./" put before a path
// that starts with "-" (so that no program takes it for an option), then
// enclosed in double quotes, or in single ones when it holds a double quote.
// One new string; the ErrorDescriptor 163 when it holds both quotes.
[[nodiscard]] StrDesc FileArgument(StrDesc path);

// Starts the program of the file's Open-with list with the file (StartProgram
// with flags). 0; 65535 when the file has no extension or its extension no
// program; 164 when the program cannot be started; 163 for a path that
// cannot be quoted; the area's status.
[[nodiscard]] StatusWord OpenWithAssociated(StrDesc path, std::uint16_t flags);

// The program of viewer n, one new string; the ErrorDescriptor 65535 when a
// registered path cannot be read.
[[nodiscard]] StrDesc ViewerProgram(std::uint16_t n);

// Starts viewer n on the file and returns at once: 0, ViewerProgram's
// failure, 164 when the viewer cannot be started, 163 as FileArgument.
[[nodiscard]] StatusWord ViewFile(std::uint16_t n, StrDesc path);

// Runs the comparer on both files, its report collected in a temporary text
// file, and shows that file in the text viewer. 0, 163 as FileArgument,
// RunToTempFile's failure (164, 171, ...) or ViewFile's.
[[nodiscard]] StatusWord CompareFiles(StrDesc left, StrDesc right);

// The row's name (its exact bytes) in both folders through CompareFiles.
// 163 for an empty name; 164, with the path in the DetailLog, when either
// copy is missing or is not a regular file; else CompareFiles' status.
[[nodiscard]] StatusWord CompareSelectedLine(StrDesc left_folder, StrDesc right_folder,
                                             StrDesc name);
