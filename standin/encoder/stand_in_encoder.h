// The word encoder that stands in for the host's when the mail client is not
// there: tests, tools and the stand-in host library use it.
#pragma once

// Returns a buffer owned by the encoder, valid until its next call on the
// same thread.
extern "C" const char* StandInEncode(const char* word);
