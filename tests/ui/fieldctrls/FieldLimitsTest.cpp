// Sizes that come from a file: a string field keeps a long text whole, a grid
// and a stream frame are capped in total, and no size is allocated on a
// file's word alone. The largest single allocation is watched through the
// program's operator new, which this test program replaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <sstream>
#include <string>

#include "Fldform.h"
#include "common/RecordingHandler.h"

namespace {

std::atomic<std::size_t> gLargest{0};

void* Allocate(std::size_t n) {
  std::size_t seen = gLargest.load(std::memory_order_relaxed);
  while (n > seen && !gLargest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace vyr::test {

namespace {

// The largest single allocation made while it lives.
class LargestAllocation {
 public:
  LargestAllocation() { gLargest.store(0); }
  std::size_t Bytes() const { return gLargest.load(); }
};

constexpr std::size_t kMiB = std::size_t{1} << 20;

class LimitsForm : public TFieldForm {
 public:
  LimitsForm() {
    Notes = new TStringFld(this);
    Notes->setObjectName("Notes");
    Map = new TNumGrid(this);
    Map->setObjectName("Map");
    Map->SetSize(3, 4);
    Map->SetDValues(1, 1, 0.5);
    AddClientWidget(Notes);
    AddClientWidget(Map);
  }
  TStringFld* Notes;
  TNumGrid* Map;
};

}  // namespace

TEST(FieldLimits, AStringFieldKeepsAMebibyteWholeAndRefusesMoreThanItsCap) {
  std::unique_ptr<LimitsForm> f(TFieldForm::Create<LimitsForm>());
  std::string big(kMiB, 'a');
  big.back() = 'z';  // a cut text loses its end
  pugi::xml_document doc;
  pugi::xml_node e = doc.append_child("F");
  e.append_child("Notes").text().set(big.c_str());
  ASSERT_TRUE(f->ReadFromXML(e));
  EXPECT_EQ(f->Notes->Text().size(), big.size());
  pugi::xml_document back;
  f->WriteToXML(back.append_child("F"));
  EXPECT_TRUE(back.child("F").child("Notes").text().get() == big) << "written back whole";

  // Beyond the cap the text is refused with a reason, never cut.
  const std::string huge(static_cast<std::size_t>(MaxStringFldLength) + 1, 'b');
  e.child("Notes").text().set(huge.c_str());
  EXPECT_FALSE(f->ReadFromXML(e));
  EXPECT_EQ(f->Notes->Text(), big);
  ASSERT_EQ(f->ReadErrors().size(), 1u);
  EXPECT_NE(f->ReadErrors()[0].Text.find("Notes"), std::string::npos) << f->ReadErrors()[0].Text;
}

struct GridSizeCase {
  const char* name;
  const char* cols;
  const char* rows;
};

void PrintTo(const GridSizeCase& c, std::ostream* os) { *os << c.name; }

class GridSize : public ::testing::TestWithParam<GridSizeCase> {};

// Each size alone is within its cap; their product is not.
TEST_P(GridSize, AGridTooLargeInTotalIsRefusedWithoutAllocating) {
  std::unique_ptr<LimitsForm> f(TFieldForm::Create<LimitsForm>());
  pugi::xml_document doc;
  pugi::xml_node e = doc.append_child("F");
  pugi::xml_node map = e.append_child("Map");
  map.append_attribute("Cols") = GetParam().cols;
  map.append_attribute("Rows") = GetParam().rows;
  LargestAllocation largest;
  EXPECT_FALSE(f->ReadFromXML(e));
  EXPECT_LT(largest.Bytes(), 16 * kMiB);
  EXPECT_EQ(f->Map->ColCount(), 3);
  EXPECT_EQ(f->Map->GetDValues(1, 1), 0.5);
  ASSERT_EQ(f->ReadErrors().size(), 1u);
  EXPECT_NE(f->ReadErrors()[0].Text.find("Map"), std::string::npos) << f->ReadErrors()[0].Text;
}

INSTANTIATE_TEST_SUITE_P(FieldLimits, GridSize,
                         ::testing::Values(GridSizeCase{"EachDimensionAtItsCap", "1000", "100000"},
                                           GridSizeCase{"JustOverTheCellCap", "1000", "1049"}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(FieldLimits, SetSizeKeepsTheCellCap) {
  TNumGrid g;
  g.SetSize(MaxGridCols, MaxGridRows);
  EXPECT_EQ(g.ColCount(), MaxGridCols);
  EXPECT_LE(static_cast<long long>(g.ColCount()) * g.RowCount(), MaxGridCells);
  EXPECT_GT(g.RowCount(), 0);
}

// A header that promises far more than the stream holds is found out by
// reading, not by allocating what it promises.
TEST(FieldLimits, AStreamHeaderCannotMakeTheFormAllocateWhatIsNotThere) {
  std::unique_ptr<LimitsForm> f(TFieldForm::Create<LimitsForm>());
  f->Notes->SetText("kept");
  std::istringstream in("FLDFORM 268435000\n<FieldForm><Notes>x</Notes></FieldForm>");
  LargestAllocation largest;
  EXPECT_FALSE(f->ReadfromStream(in));
  EXPECT_LT(largest.Bytes(), kMiB);
  EXPECT_EQ(f->Notes->Text(), "kept");

  const std::string tooLong = "FLDFORM " + std::to_string(MaxFieldFormFrameBytes + 1) + "\n<FieldForm/>";
  std::istringstream in2(tooLong);
  EXPECT_FALSE(f->ReadfromStream(in2));
}

}  // namespace vyr::test
