// The one exception record of the framework, and the table of the errors it raises.
#pragma once

#include <cstdint>
#include <memory>

// A code and its error name, as raise sites pass them.
struct KrErrorKind
{
    int32_t code;
    const char* name;
};

// Every error the framework raises. A raise reads KR_RAISE(KrErrIndexError).
inline constexpr KrErrorKind KrErrUndefProc{1, "KrUndefProc"};
inline constexpr KrErrorKind KrErrUnexpectedErr{2, "KrUnexpectedErr"};
inline constexpr KrErrorKind KrErrArgErr{3, "KrArgErr"};
inline constexpr KrErrorKind KrErrBufferError{5, "KrBufferError"};
inline constexpr KrErrorKind KrErrBufferTooSmall{6, "KrBufferTooSmall"};
inline constexpr KrErrorKind KrErrIndexError{7, "KrIndexError"};
inline constexpr KrErrorKind KrErrEOFReached{8, "KrEOFReached"};
inline constexpr KrErrorKind KrErrNotFound{9, "KrNotFound"};
inline constexpr KrErrorKind KrErrFileInvalidDesc{11, "KrFileInvalidDesc"};
inline constexpr KrErrorKind KrErrFileNotOpen{12, "KrFileNotOpen"};
inline constexpr KrErrorKind KrErrFileLengthFailed{13, "KrFileLengthFailed"};
inline constexpr KrErrorKind KrErrFileSeekFailed{14, "KrFileSeekFailed"};
inline constexpr KrErrorKind KrErrFilePosFailed{15, "KrFilePosFailed"};
inline constexpr KrErrorKind KrErrFileWriteFailed{17, "KrFileWriteFailed"};
inline constexpr KrErrorKind KrErrFormatErr{19, "KrFormatErr"};
inline constexpr KrErrorKind KrErrPtrInvalid{20, "KrPtrInvalid"};
inline constexpr KrErrorKind KrErrDimMismatch{23, "KrDimMismatch"};
inline constexpr KrErrorKind KrErrGeneralErr{42, "KrGeneralErr"};
inline constexpr KrErrorKind KrErrIOErr{43, "KrIOErr"};
inline constexpr KrErrorKind KrErrOutOfRange{51, "KrOutOfRange"};

// Builds the record from a kind and the raising source line, and throws it at once.
#define KR_RAISE(kind) throw KrError((kind).code, (kind).name, __FILE__, __LINE__)

class KrError
{
public:
    // file is the raising source path; only its last component is kept. A "Kr" prefix is
    // dropped from name and file unless a vowel follows it. A nameless error with a non-zero
    // code is named "Unknown".
    KrError(int32_t code, const char* name, const char* file, int32_t line);
    KrError(const KrError& other);
    KrError& operator=(const KrError& other);
    KrError(KrError&&) noexcept = default;
    KrError& operator=(KrError&&) noexcept = default;
    ~KrError() = default;

    int32_t Code() const { return code; }
    const char* Name() const { return name.get(); } // null when none
    const char* File() const { return file.get(); } // null when none
    int32_t Line() const { return line; }

private:
    // Where building an error writes its line to the debug log.
    static void WriteLogLine(int32_t code, const char* name, const char* file, int32_t line);

    int32_t code = 0;
    std::unique_ptr<char[]> name;
    std::unique_ptr<char[]> file;
    int32_t line = 0;
};
