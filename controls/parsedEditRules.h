#pragma once

// The character filter and the validation rules of the validated edit control, by input type
// code (0 to 58). Pure functions of their arguments, apart from the file-system queries of the
// path rules (see parsedEditPaths.h); safe on any thread.

#include <reZevavEvadurov/winTypes.h>

#include <string_view>

// Whether a typed character may be inserted into a control of `inputType`. Control characters
// (below 0x20) pass for every type; otherwise a type outside 0 to 58 refuses everything, and
// no character above 0x7F counts as a letter or digit.
bool IsCharAllowed(UINT character, int inputType);

// Whether `inputType` holds a decimal number that the Up and Down keys may step: the types
// whose filter admits digits and no letter (3 to 8, 10, 11, 19), less 49, a telephone number.
bool IsNumericInputType(int inputType);

// Whether `inputType` has a validation rule at all (13 to 17, 48, 50 to 54, 56 to 58).
bool HasValidationRule(int inputType);

// Whether `text` (null counts as empty) passes the rule of `inputType`; true for every type
// without a rule. Path rules query the file system once, or twice for type 52.
bool IsValidForInputType(const WCHAR* text, int inputType);

// The e-mail address rule of type 48: surrounding white space is ignored; fails on a leading
// dot, a first dot at the end, "..", no "@" or more than one, an empty local part or domain,
// a blank in the local part outside a double-quoted run (and a quoted run without a blank),
// or a domain label that IsValidDomainLabel refuses.
bool IsValidEmailAddress(std::u16string_view text);

// ASCII letters, digits and "-", with "-" neither first nor last. The empty label passes.
bool IsValidDomainLabel(std::u16string_view label);
