#pragma once

// Which window of the front image a decoder reads.
enum class DecodeWindowKind { Ocr, Barcode, Pdf417 };
