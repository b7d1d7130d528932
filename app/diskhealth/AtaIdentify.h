// Decoding of the ATA replies into a drive record: the identity strings, the ATA standard and
// transfer-mode texts, and the S.M.A.R.T. attribute rows.
#pragma once

#include "PhysicalDiskTable.h"

// 256 words from the 512 bytes of IDENTIFY data (little-endian).
void IdentifyWords(const BYTE* identify, uint16_t (&words)[256]);

// Model (words 27-46), serial number (10-19) and firmware revision (23-26): the bytes of every
// 16-bit word swapped, white space stripped at the end and then at the start, each byte widened.
void DecodeIdentityStrings(const BYTE* identify, PhysicalDriveInfo& drive);

// The ATA standard and transfer-mode texts at their defaults ("N/A", "-").
void SetDefaultModeTexts(PhysicalDriveInfo& drive);
// The same from IDENTIFY words and the S.M.A.R.T. version data's capability flags.
void DecodeModeTexts(const uint16_t (&words)[256], DWORD capabilities, PhysicalDriveInfo& drive);

// Fills the slots from the 512-byte attribute value and threshold blocks (30 entries each).
void ParseSmartAttributes(const BYTE* values, const BYTE* thresholds,
                          SmartAttributeText (&slots)[kSmartAttributeSlots]);
