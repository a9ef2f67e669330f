#pragma once
// Charts of the results pane: the T-s diagram and the compressor maps.

namespace vyr::editor {}
