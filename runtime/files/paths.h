// Paths, the environment and the application folders. Paths are POSIX: "/"
// separates folders, there is no drive part, "\", ":" and quotes are ordinary
// name characters. Every operation that returns text leaves exactly one new
// string above the caller's mark (or an ErrorDescriptor and nothing), except
// EnvironmentText, which returns a view of the environment's own storage.
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

// Path parts, combined by OR.
inline constexpr std::uint16_t kPartDrive = 0x01;  // always empty on this platform
inline constexpr std::uint16_t kPartFolder = 0x02;
inline constexpr std::uint16_t kPartName = 0x04;
inline constexpr std::uint16_t kPartExtension = 0x08;
inline constexpr std::uint16_t kPartDriveFolder = kPartDrive | kPartFolder;
inline constexpr std::uint16_t kPartNameExtension = kPartName | kPartExtension;

// Application folders.
inline constexpr std::uint16_t kFolderRunPath = 1;  // APPPATH_RUNPATH
inline constexpr std::uint16_t kFolderDefault = 2;  // APPPATH_DEFAULT: the start folder
inline constexpr std::uint16_t kFolderData = 3;     // APPPATH_DATA
inline constexpr std::uint16_t kFolderDocs = 4;     // APPPATH_DOCS
inline constexpr std::uint16_t kFolderHelp = 5;     // APPPATH_HELP
inline constexpr std::uint16_t kFolderBackup = 6;   // APPPATH_BACKUP: "Backups"
inline constexpr std::uint16_t kFolderBackRel = 7;  // APPPATH_BACKREL

// Command-line word flags.
inline constexpr std::uint16_t kWordSecond = 0x01;
inline constexpr std::uint16_t kWordFolderOnly = 0x02;

// first and second with one "/" between them where neither has one.
[[nodiscard]] StrDesc JoinPath(StrDesc first, StrDesc second);
// first + "." + second, the dot only when both are non-empty.
[[nodiscard]] StrDesc JoinWithDot(StrDesc first, StrDesc second);
// The selected parts: the folder (up to the last "/", "/" for a root file),
// the name without extension, the extension without its dot.
[[nodiscard]] StrDesc PathPart(StrDesc path, std::uint16_t parts);
// The relative path resolved against base: leading ".." steps climb (never
// above "/"), then "/./" becomes "/".
[[nodiscard]] StrDesc ResolveRelativePath(StrDesc base, StrDesc relative);
// Application folder 1 to 7 as a path; empty text for other numbers.
[[nodiscard]] StrDesc ApplicationFolder(std::uint16_t number);
// The application folder joined with the file name.
[[nodiscard]] StrDesc FileInApplicationFolder(StrDesc name, std::uint16_t number);
// Whether the program's drive letter is F or later; never, without drives.
[[nodiscard]] bool ProgramDriveFOrLater();
// The first (or with 0x01 the second) word of the command line, trimmed and
// unquoted; with 0x02 only its folder. A second word that is an option ("-…") is empty.
[[nodiscard]] StrDesc CommandLineWord(std::uint16_t flags);
// The folder of temporary files: TEMP, else TMPDIR, else /tmp (a view, no copy).
[[nodiscard]] StrDesc TempFolder();
// A fresh name (no folder, no dots but the extension's) that no earlier call
// gave; touches no file.
[[nodiscard]] StrDesc TempFileName(StrDesc extension);
// Creates a new empty file exclusively in the temporary folder and returns its
// path; never deletes a file. The ErrorDescriptor 164/175/65535 when it cannot.
[[nodiscard]] StrDesc TempFilePath(StrDesc extension);
// The variable's value as a view of the environment, or empty text.
[[nodiscard]] StrDesc EnvironmentText(StrDesc name);
// The process's current folder, or empty text.
[[nodiscard]] StrDesc CurrentFolder();
// The text with %NAME% references to application folders, listed environment
// variables and runtime variables replaced.
[[nodiscard]] StrDesc ExpandPathVariables(StrDesc text);
// The text with every %NAME% reference replaced by its runtime variable (or removed).
[[nodiscard]] StrDesc ExpandRuntimeVariables(StrDesc text);
