// The C++ runtime's storage for exceptions, kept in the DLL itself so that
// throwing needs no memory (exception_storage.cpp).
#pragma once

// Frees the record of the calling thread, as it ends.
void ReleaseThreadExceptionRecord() noexcept;
