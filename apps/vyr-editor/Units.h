#pragma once
// Unit systems of the editor: conversions from SI and unit names.

namespace vyr::editor {}
