// The set-up file "VarnUnit.ini": a few sections of "Key = Value" lines.
// The format is described in vnapi/README-unit.md.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "docs/Document.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace virtualunit {

// A document of a kind with the sizes and codeline font that kind has.
DocumentSpec DocumentOfKind(DocumentKind kind);

// A cheque with no codeline given is one to be generated when it is loaded.
bool IsChequeToGenerate(const DocumentSpec& document);
// The generated cheque, with what the placeholder did say kept.
DocumentSpec CompleteCheque(const DocumentSpec& placeholder, uint32_t unitSeed, uint32_t index);

// One line of a [Feeder] section, "Cheques = N" or "Document = ...". Appends
// to feeder; false when the line says nothing usable (why, in reason).
bool ParseFeederLine(const std::string& key, const std::string& value, std::vector<DocumentSpec>& feeder,
                     std::string& reason);

// Lines of [Feeder] form without the section header.
bool ParseFeederText(const std::string& text, std::vector<DocumentSpec>& feeder,
                     std::vector<std::string>* ignored = nullptr);

VirtualUnitSetup ReadSetupFile(const std::string& path, std::vector<std::string>* ignored = nullptr);

} // namespace virtualunit
