// The feedback report's transport form: an MD5 check value of the text, then the text's
// UTF-16 bytes encrypted with RC4 under the product's fixed key, as upper-case hexadecimal.
#pragma once

#include <windows.h>

#include <classlib/String.h>

// Standard RC4 over `data` in place: key scheduling with `key` repeated over 256 bytes, then
// the keystream XORed over the bytes.
void Rc4Transform(const BYTE* key, size_t keyLength, BYTE* data, size_t length);
// The fixed key shared with the server that decodes reports.
const char* FeedbackKey();
// 1 with `payload` set (32 + 4 × characters hexadecimal digits for the trimmed text; empty
// for an empty text), 0 on failure.
int EncodeFeedback(const CString& xml, CString& payload);
