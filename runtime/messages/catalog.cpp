#include "runtime/messages/catalog.h"

#include <cstdio>
#include <cstring>

#include "compare/file_queries.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/files/streams.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/lists.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

ModuleIndex g_module_index = {};

namespace {

// The built-in catalog in three sections (codes below 0040, 0040 to 0089,
// 0090 and above): TAB, code, one blank, text, for each entry.
constexpr StrDesc kSectionLow =
    Lit("\t0005 Process Completed Succesfully"
        "\t0008 Warning "
        "\t0009 Error "
        "\t0011 Yy,Nn"
        "\t0012 Information Message"
        "\t0013 Fatal Error Ocurred"
        "\t0014 Information Request");
constexpr StrDesc kSectionMiddle =
    Lit("\t0049 Choose Selection"
        "\t0075 About Box"
        "\t0076 Vantoro %s%s\r\nVersion %s.%s  Language %s%s\r\nRuntime %s\r\nProgram: %s\r\n"
        "Start folder: %s\r\nData folder: %s");
constexpr StrDesc kSectionHigh = Lit("\t");

constexpr StrDesc kErrorNames = Lit(
    "User Canceled,Null Expression,Undef.Warning,Type Warning,Bad user data,Out of Data,"
    "Type Mismatch,Loop Failure,Disk I/O,File I/O,Procedure Execution,PRCSTCKERROR,TRANSUPERROR,"
    "VARHANDLERROR,DISKREADERROR,DISKWRITERROR,DISKOPENERROR,NETACCESERROR,BADEXPRESION,"
    "INTERNALERROR,FARHEAPINIERR,Screen Environ,INDEXCMDERROR,OUTOFMEMORY,STRINGTOOLONG,"
    "SINTAXERROR,FEATUREREMOVED,DIMSTRUCERROR,BADSTRINGTYPE,BADFILENUMBER,FORMATFAILURE,"
    "STRCONCATERR,MEMORYALLOCERR,EXPCALCERROR,LOADSTRERROR,VARNAMEERROR,BADCOMMANDLINE,"
    "STROUTBOUND,MEMTESTERROR,FILEOUTBOUND,SQLERROR,BADINPUTDATA,File Not Found,File Exist,"
    "File Opening,CHILDEXECERROR,DATAOUTBOUND,FILENOTINIT,COMMONCTLERROR,DEVICETIMEOUT,"
    "DEVICEIOERROR,SYSTEMCMDERROR,User Check Fail,Permission Denied,StructMemError,"
    "ScreenStructErr,Memory Leaks,Windows Control Error,Memory Overflow,Variable ScreenField,"
    "Undefined,Data Already exist,Only Local Access,Graphic Support Low");
constexpr std::uint16_t kFirstNamedCode = 122;
constexpr std::uint16_t kLastNamedCode = 185;
constexpr StrDesc kUndefined = Lit("Undefined");

constexpr StrDesc kSubsystemNames =
    Lit("STRINGINIT,STRINGASSIGN,STRCONCAT,VARNMASSIGN,SQLCONNECT,SQLEXEC,EXEC_COMPILER,"
        "Malloc-MemAcums,ExecRunTime,VarStruct,ExpExec,Sort,BufferFld,DynStrings,StructFuncs,"
        "FormatStrings,Streams,DataFile,LocalLists,Screens,Devices,HtmlScan");

constexpr std::uint16_t kModuleNameLimit = 15;

// The value of the first four characters of a code text.
std::uint16_t CodeValue(StrDesc code) {
  const std::int16_t v = ToInt(Substring(code, 0, 4));
  return v < 0 ? 0 : static_cast<std::uint16_t>(v);
}

StrDesc SectionFor(StrDesc code) {
  if (CompareText(code, Lit("0090")) != kLess) return kSectionHigh;
  if (CompareText(code, Lit("0040")) != kLess) return kSectionMiddle;
  return kSectionLow;
}

}  // namespace

StrDesc BuiltInMessageText(StrDesc code) {
  const AreaMark mark = MarkArea();
  if (DescStatus(code) != kOk || code.len < 4) return KeepResult(mark, EmptyDesc());
  const StrDesc section = SectionFor(code);
  // The entry itself: TAB, the four digits and the blank, so that a code never
  // matches inside another entry's text.
  char key[6] = {'\t', code.ptr[0], code.ptr[1], code.ptr[2], code.ptr[3], ' '};
  const std::uint16_t at = FindText(section, StrDesc{key, 6}, kPlain);
  if (at == kNotFound) return KeepResult(mark, EmptyDesc());
  const StrDesc rest = Substring(section, static_cast<std::int16_t>(at + 6), kToEnd);
  const std::uint16_t tab = FindChar(rest, '\t', kPlain);
  return KeepResult(mark, Substring(rest, 0, tab == kNotFound ? rest.len : tab));
}

void ResetLanguageModule() { g_module_index = ModuleIndex{}; }

void LoadLanguageModule() {
  ModuleIndex& m = g_module_index;
  m = ModuleIndex{};
  m.state = kModuleBuiltIn;
  const AreaMark mark = MarkArea();
  StrDesc language = Copy(GetVariable(kGroupSettings, kItemLanguage));
  if (language.len == 0) language = Lit("*");
  const StrDesc name = FormatText(kModuleNameLimit, "QV_LANG_%s.MSJ", {language});
  if (name.ptr == nullptr) {
    ReleaseArea(mark);
    return;
  }
  const StrDesc path = JoinPath(GetVariable(kGroupSettings, kItemStartFolder), name);
  if (ListMatchingNames(path) != kOk) {
    ReleaseArea(mark);
    return;
  }
  // The first matching name is read before anything else is pushed: the
  // list is the top string only until then.
  const StrDesc first_name = Item(TopString(), kNul, 1);
  const StrDesc found = JoinPath(GetVariable(kGroupSettings, kItemStartFolder), first_name);
  // The queue may hold lines of an earlier reader; the module's are appended after them.
  const std::uint16_t before = VariableCount(kGroupLineQueue);
  const std::uint16_t lines = ReadLinesToQueue(found);
  ReleaseArea(mark);
  if (lines == 0 || lines == kNotFound || lines > kModuleMaxLines) {
    while (VariableCount(kGroupLineQueue) > before) (void)DeleteVariable(kGroupLineQueue, before);
    return;
  }
  (void)SetVariable(kGroupMessages, kItemModuleText, EmptyDesc());
  std::uint16_t end_offset = 0;
  bool stored = true;
  for (std::uint16_t i = 0; i < lines; ++i) {
    const AreaMark line_mark = MarkArea();
    const StrDesc raw = Copy(GetVariable(kGroupLineQueue, before));
    (void)DeleteVariable(kGroupLineQueue, before);
    if (!stored) {
      ReleaseArea(line_mark);
      continue;
    }
    const StrDesc line = ReplaceAll(raw, Lit("\\n"), Lit("\r\n"), kPlain);
    const std::uint16_t value = CodeValue(line);
    if (line.ptr == nullptr || value == 0) {
      ReleaseArea(line_mark);
      continue;
    }
    // Codes must ascend: one out of order or repeated would take another
    // code's entry, so it is skipped.
    if (m.state == kModuleLoaded && value <= m.last_code) {
      ReleaseArea(line_mark);
      continue;
    }
    if (m.state != kModuleLoaded) m.first_code = value;
    m.last_code = value;
    while (m.filled < value - m.first_code && m.filled < kModuleIndexSize) {
      m.end_offsets[m.filled++] = end_offset;
    }
    const StrDesc text = Substring(line, 5, kToEnd);
    const StrDesc buffer = GetVariable(kGroupMessages, kItemModuleText);
    const StrDesc joined = Concat(buffer, text);
    if (joined.ptr == nullptr || SetVariable(kGroupMessages, kItemModuleText, joined) != kOk) {
      // The buffer is full: keep what is indexed so far, all of it in bounds.
      stored = false;
      ReleaseArea(line_mark);
      continue;
    }
    if (m.filled < kModuleIndexSize) {
      end_offset = joined.len;
      m.end_offsets[m.filled++] = end_offset;
    }
    m.state = kModuleLoaded;
    ReleaseArea(line_mark);
  }
  if (m.last_code - m.first_code >= kModuleIndexSize) {
    m.last_code = static_cast<std::uint16_t>(m.first_code + kModuleIndexSize - 1);
  }
}

StrDesc ModuleMessageText(std::uint16_t value) {
  const ModuleIndex& m = g_module_index;
  const AreaMark mark = MarkArea();
  if (m.state != kModuleLoaded || value < m.first_code || value > m.last_code ||
      value - m.first_code >= m.filled) {
    char code[5];
    std::snprintf(code, sizeof code, "%04u", static_cast<unsigned>(value % 10000));
    return KeepResult(mark, BuiltInMessageText(StrDesc{code, 4}));
  }
  const std::uint16_t index = static_cast<std::uint16_t>(value - m.first_code);
  const std::uint16_t from = index == 0 ? 0 : m.end_offsets[index - 1];
  const std::uint16_t to = m.end_offsets[index];
  const StrDesc buffer = GetVariable(kGroupMessages, kItemModuleText);
  if (from > to || to > buffer.len) return KeepResult(mark, EmptyDesc());
  return KeepResult(mark, StrDesc{buffer.ptr + from, static_cast<std::uint16_t>(to - from)});
}

StrDesc MessageText(StrDesc code) {
  const AreaMark mark = MarkArea();
  if (DescStatus(code) != kOk) return KeepResult(mark, EmptyDesc());
  const std::uint16_t value = CodeValue(code);
  if (g_module_index.state == kModuleNotTried) LoadLanguageModule();
  if (value != 0 && g_module_index.state == kModuleLoaded) {
    return KeepResult(mark, ModuleMessageText(value));
  }
  if (value != 0 && code.len > 4) return KeepResult(mark, Substring(code, 5, kToEnd));
  return KeepResult(mark, BuiltInMessageText(code));
}

StrDesc SubsystemName(std::uint16_t number) {
  const AreaMark mark = MarkArea();
  if (number == 0) return KeepResult(mark, EmptyDesc());
  return KeepResult(mark, Item(kSubsystemNames, kComma, number));
}

StrDesc ErrorName(std::uint16_t code) {
  const AreaMark mark = MarkArea();
  if (code == 0xFFFF && g_error_state.code != 0) code = g_error_state.code;
  if (code == 0) return KeepResult(mark, MessageText(kMsgSuccess));
  if (code >= 1 && code <= 120) return KeepResult(mark, MessageText(kMsgWarning));
  if (code == 121 || code == kErrBadUserData) {
    const StrDesc log = GetVariable(kGroupMessages, kItemDetailLog);
    if (log.len != 0) return KeepResult(mark, log);
  }
  if (code >= kFirstNamedCode && code <= kLastNamedCode) {
    return KeepResult(mark, Item(kErrorNames, kComma, static_cast<std::uint16_t>(code - 121)));
  }
  return KeepResult(mark, kUndefined);
}

StrDesc ErrorText(std::uint16_t code) {
  const AreaMark mark = MarkArea();
  const StrDesc name = ErrorName(code);
  std::uint16_t effective = code;
  if (code == 0xFFFF && g_error_state.code != 0) effective = g_error_state.code;
  if (effective < kFirstRecordedCode) return KeepResult(mark, name);
  StrDesc report = Concat(MessageText(kMsgErrorPrefix), name);
  if (g_error_state.subsystem != kSubNone) {
    report = Concat(report, Wrap(SubsystemName(g_error_state.subsystem), '('));
  }
  const StrDesc log = GetVariable(kGroupMessages, kItemDetailLog);
  if (log.len != 0) {
    const StrDesc parts[] = {report, Lit(": "), log};
    report = ConcatParts(parts, 3);
  }
  return KeepResult(mark, report);
}
