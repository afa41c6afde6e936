// Exceptions of the ZIP engine. OS-independent. Messages are the engine's fixed texts.
#pragma once

#include "platform/Exception.h"

namespace velmora::zip {

VELMORA_EXCEPTION(EVCLZipException, Exception);
VELMORA_EXCEPTION(EIncompleteZip, EVCLZipException);
VELMORA_EXCEPTION(ENotAZipFile, EVCLZipException);
VELMORA_EXCEPTION(EBadZipFile, EVCLZipException);
VELMORA_EXCEPTION(EUserCanceled, EVCLZipException);
VELMORA_EXCEPTION(EFatalUnzipError, EVCLZipException);
VELMORA_EXCEPTION(ECantWriteUCF, EVCLZipException);
VELMORA_EXCEPTION(EBiggerThanUncompressed, EVCLZipException);

// The runtime's families that the engine raises too.
VELMORA_EXCEPTION(EListError, Exception);
VELMORA_EXCEPTION(EStreamError, Exception);
VELMORA_EXCEPTION(EFOpenError, EStreamError);
VELMORA_EXCEPTION(EFCreateError, EStreamError);
VELMORA_EXCEPTION(EZLibError, Exception);
VELMORA_EXCEPTION(EZCompressionError, EZLibError);

// The fixed texts.
inline constexpr const char* kMsgIncompleteZip = "Incomplete Zip File";
inline constexpr const char* kMsgNotAZip = "Not a valid zip file!";
inline constexpr const char* kMsgPrematureEnd = "Premature end of file reached";
inline constexpr const char* kMsgCantWrite = "Cant write uncompressed file";
inline constexpr const char* kMsgBiggerThanUncompressed = "File is larger than uncompressed size!";
inline constexpr const char* kMsgZlibError = "error";
inline constexpr const char* kMsgSeekError = "Seek error";
inline constexpr const char* kMsgCanceledDestDir = "User canceled Set Desination Directory";
inline constexpr const char* kMsgDuplicate = "Duplicate Object index";
inline constexpr const char* kMsgPutInSorted = "Cannot <Put> an Object in a sorted list!";

// "Index %d is out of range".
EListError IndexOutOfRange(int index);

}  // namespace velmora::zip
