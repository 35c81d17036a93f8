#pragma once
// Stepping through ANSI text one character at a time. On a double-byte code
// page (Japanese Windows) a character may take two bytes, and its second
// byte may equal a backslash or a blank: code that looks for those walks
// with a stepper. Portable: the rules that walk are unit-tested natively
// with StepOneByte; the Windows side passes StepCharA.

// Steps one character forward; never past the terminator.
typedef const char* (*CharStepFn)(const char* at);

// One byte per character: single-byte text, and the native tests.
inline const char* StepOneByte(const char* at)
{
    return *at ? at + 1 : at;
}

// One character of text in the system's ANSI code page, double-byte aware
// (CharNextA). Windows only.
const char* StepCharA(const char* at);
