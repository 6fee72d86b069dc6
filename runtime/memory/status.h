// Status words, error codes and subsystem numbers of the runtime.
//
// Every runtime operation reports its outcome as a 16-bit StatusWord: 0 is
// success, 65535 a general failure, and the named codes 122 to 185 are the
// catalog's error codes. No operation throws.
#pragma once

#include <cstdint>

using StatusWord = std::uint16_t;

inline constexpr StatusWord kOk = 0;
inline constexpr StatusWord kFailure = 65535;      // general failure
inline constexpr std::uint16_t kNotFound = 65535;  // a position or index that was not found
inline constexpr std::uint16_t kNoHandle = 65535;  // no block, no stream

// Error codes, named as in the catalog (the error name follows each one).
inline constexpr StatusWord kErrUserCanceled = 122;         // "User Canceled"
inline constexpr StatusWord kErrNullExpression = 123;       // "Null Expression"
inline constexpr StatusWord kErrUndefWarning = 124;         // "Undef.Warning"
inline constexpr StatusWord kErrTypeWarning = 125;          // "Type Warning"
inline constexpr StatusWord kErrBadUserData = 126;          // "Bad user data"
inline constexpr StatusWord kErrOutOfData = 127;            // "Out of Data"
inline constexpr StatusWord kErrTypeMismatch = 128;         // "Type Mismatch"
inline constexpr StatusWord kErrLoopFailure = 129;          // "Loop Failure"
inline constexpr StatusWord kErrDiskIO = 130;               // "Disk I/O"
inline constexpr StatusWord kErrFileIO = 131;               // "File I/O"
inline constexpr StatusWord kErrProcedureExecution = 132;   // "Procedure Execution"
inline constexpr StatusWord kErrPrcStckError = 133;         // "PRCSTCKERROR"
inline constexpr StatusWord kErrTranSupError = 134;         // "TRANSUPERROR"
inline constexpr StatusWord kErrVarHandlError = 135;        // "VARHANDLERROR"
inline constexpr StatusWord kErrDiskReadError = 136;        // "DISKREADERROR"
inline constexpr StatusWord kErrDiskWritError = 137;        // "DISKWRITERROR"
inline constexpr StatusWord kErrDiskOpenError = 138;        // "DISKOPENERROR"
inline constexpr StatusWord kErrNetAccesError = 139;        // "NETACCESERROR"
inline constexpr StatusWord kErrBadExpresion = 140;         // "BADEXPRESION"
inline constexpr StatusWord kErrInternalError = 141;        // "INTERNALERROR"
inline constexpr StatusWord kErrFarHeapIniErr = 142;        // "FARHEAPINIERR"
inline constexpr StatusWord kErrScreenEnviron = 143;        // "Screen Environ"
inline constexpr StatusWord kErrIndexCmdError = 144;        // "INDEXCMDERROR"
inline constexpr StatusWord kErrOutOfMemory = 145;          // "OUTOFMEMORY"
inline constexpr StatusWord kErrStringTooLong = 146;        // "STRINGTOOLONG"
inline constexpr StatusWord kErrSintaxError = 147;          // "SINTAXERROR"
inline constexpr StatusWord kErrFeatureRemoved = 148;       // "FEATUREREMOVED"
inline constexpr StatusWord kErrDimStrucError = 149;        // "DIMSTRUCERROR"
inline constexpr StatusWord kErrBadStringType = 150;        // "BADSTRINGTYPE"
inline constexpr StatusWord kErrBadFileNumber = 151;        // "BADFILENUMBER"
inline constexpr StatusWord kErrFormatFailure = 152;        // "FORMATFAILURE"
inline constexpr StatusWord kErrStrConcatErr = 153;         // "STRCONCATERR"
inline constexpr StatusWord kErrMemoryAllocErr = 154;       // "MEMORYALLOCERR"
inline constexpr StatusWord kErrExpCalcError = 155;         // "EXPCALCERROR"
inline constexpr StatusWord kErrLoadStrError = 156;         // "LOADSTRERROR"
inline constexpr StatusWord kErrVarNameError = 157;         // "VARNAMEERROR"
inline constexpr StatusWord kErrBadCommandLine = 158;       // "BADCOMMANDLINE"
inline constexpr StatusWord kErrStrOutBound = 159;          // "STROUTBOUND"
inline constexpr StatusWord kErrMemTestError = 160;         // "MEMTESTERROR"
inline constexpr StatusWord kErrFileOutBound = 161;         // "FILEOUTBOUND"
inline constexpr StatusWord kErrSqlError = 162;             // "SQLERROR"
inline constexpr StatusWord kErrBadInputData = 163;         // "BADINPUTDATA"
inline constexpr StatusWord kErrFileNotFound = 164;         // "File Not Found"
inline constexpr StatusWord kErrFileExist = 165;            // "File Exist"
inline constexpr StatusWord kErrFileOpening = 166;          // "File Opening"
inline constexpr StatusWord kErrChildExecError = 167;       // "CHILDEXECERROR"
inline constexpr StatusWord kErrDataOutBound = 168;         // "DATAOUTBOUND"
inline constexpr StatusWord kErrFileNotInit = 169;          // "FILENOTINIT"
inline constexpr StatusWord kErrCommonCtlError = 170;       // "COMMONCTLERROR"
inline constexpr StatusWord kErrDeviceTimeout = 171;        // "DEVICETIMEOUT"
inline constexpr StatusWord kErrDeviceIOError = 172;        // "DEVICEIOERROR"
inline constexpr StatusWord kErrSystemCmdError = 173;       // "SYSTEMCMDERROR"
inline constexpr StatusWord kErrUserCheckFail = 174;        // "User Check Fail"
inline constexpr StatusWord kErrPermissionDenied = 175;     // "Permission Denied"
inline constexpr StatusWord kErrStructMemError = 176;       // "StructMemError"
inline constexpr StatusWord kErrScreenStructErr = 177;      // "ScreenStructErr"
inline constexpr StatusWord kErrMemoryLeaks = 178;          // "Memory Leaks"
inline constexpr StatusWord kErrWindowsControlError = 179;  // "Windows Control Error"
inline constexpr StatusWord kErrMemoryOverflow = 180;       // "Memory Overflow"
inline constexpr StatusWord kErrVariableScreenField = 181;  // "Variable ScreenField"
inline constexpr StatusWord kErrDataAlreadyExist = 183;     // "Data Already exist"
inline constexpr StatusWord kErrOnlyLocalAccess = 184;      // "Only Local Access"
inline constexpr StatusWord kErrGraphicSupportLow = 185;    // "Graphic Support Low"

// The ErrorState records only codes at or above this value (unless forced).
inline constexpr StatusWord kFirstRecordedCode = 128;

// Subsystem numbers recorded beside a code in the ErrorState.
using SubsystemNumber = std::uint16_t;
inline constexpr SubsystemNumber kSubNone = 0;
inline constexpr SubsystemNumber kSubStringInit = 1;      // "STRINGINIT"
inline constexpr SubsystemNumber kSubStringAssign = 2;    // "STRINGASSIGN"
inline constexpr SubsystemNumber kSubStrConcat = 3;       // "STRCONCAT"
inline constexpr SubsystemNumber kSubVarNmAssign = 4;     // "VARNMASSIGN"
inline constexpr SubsystemNumber kSubSqlConnect = 5;      // "SQLCONNECT"
inline constexpr SubsystemNumber kSubSqlExec = 6;         // "SQLEXEC"
inline constexpr SubsystemNumber kSubExecCompiler = 7;    // "EXEC_COMPILER"
inline constexpr SubsystemNumber kSubMallocMemAcums = 8;  // "Malloc-MemAcums"
inline constexpr SubsystemNumber kSubExecRunTime = 9;     // "ExecRunTime"
inline constexpr SubsystemNumber kSubVarStruct = 10;      // "VarStruct"
inline constexpr SubsystemNumber kSubExpExec = 11;        // "ExpExec"
inline constexpr SubsystemNumber kSubSort = 12;           // "Sort"
inline constexpr SubsystemNumber kSubBufferFld = 13;      // "BufferFld"
inline constexpr SubsystemNumber kSubDynStrings = 14;     // "DynStrings"
inline constexpr SubsystemNumber kSubStructFuncs = 15;    // "StructFuncs"
inline constexpr SubsystemNumber kSubFormatStrings = 16;  // "FormatStrings"
inline constexpr SubsystemNumber kSubStreams = 17;        // "Streams"
inline constexpr SubsystemNumber kSubDataFile = 18;       // "DataFile"
inline constexpr SubsystemNumber kSubLocalLists = 19;     // "LocalLists"
inline constexpr SubsystemNumber kSubScreens = 20;        // "Screens"
inline constexpr SubsystemNumber kSubDevices = 21;        // "Devices"
inline constexpr SubsystemNumber kSubHtmlScan = 22;       // "HtmlScan"
