#include "foundation/ptr_array.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/tv_object.h"

namespace {

// Counts its destructions into a shared journal, so the tests can see which elements died and in
// which order.
class Tracked : public TvObject {
 public:
  Tracked(int id, std::vector<int>* journal) : m_id(id), m_journal(journal) {}
  ~Tracked() override { m_journal->push_back(m_id); }

 private:
  int m_id;
  std::vector<int>* m_journal;
};

int g_dummy[16];

TEST(PtrArrayGrowth, FirstAddAllocatesOneSlotThenGrowsByFour) {
  TvPtrArray<int*> array;
  EXPECT_EQ(array.GetCapacity(), 0u);
  array.Add(&g_dummy[0]);
  EXPECT_EQ(array.GetSize(), 1u);
  EXPECT_EQ(array.GetCapacity(), 1u);
  array.Add(&g_dummy[1]);
  EXPECT_EQ(array.GetCapacity(), 5u);
  for (int i = 2; i < 5; ++i) array.Add(&g_dummy[i]);
  EXPECT_EQ(array.GetCapacity(), 5u);
  array.Add(&g_dummy[5]);
  EXPECT_EQ(array.GetCapacity(), 9u);
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(array[i], &g_dummy[i]);
}

// The step an Add grows by: an eighth of the size, at least 4 and at most 1024, unless one was
// given.
TEST(PtrArrayGrowth, StepIsAnEighthOfTheSizeClampedOrTheOneGiven) {
  const struct {
    uint32_t size;
    int growBy;
    uint32_t capacityAfterAdd;
    const char* what;
  } cases[] = {
      {40, -1, 45, "40 / 8"},
      {10000, -1, 10000 + 1024, "clamped to 1024"},
      {16, -1, 20, "16 / 8 = 2, raised to 4"},
      {2, 10, 12, "a step given explicitly"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TvPtrArray<int*> array;
    array.SetSize(c.size, c.growBy);
    ASSERT_EQ(array.GetCapacity(), c.size);
    array.Add(nullptr);
    EXPECT_EQ(array.GetCapacity(), c.capacityAfterAdd);
  }
}

TEST(PtrArrayGrowth, JumpBeyondTheStepTakesTheRequestedSizeAndNullsTheGap) {
  TvPtrArray<int*> array;
  array.Add(&g_dummy[0]);
  array.SetAtGrow(20, &g_dummy[1]);
  EXPECT_EQ(array.GetSize(), 21u);
  EXPECT_EQ(array.GetCapacity(), 21u);
  EXPECT_EQ(array[0], &g_dummy[0]);
  for (uint32_t i = 1; i < 20; ++i) EXPECT_EQ(array[i], nullptr) << i;
  EXPECT_EQ(array[20], &g_dummy[1]);
  array.SetAtGrow(3, &g_dummy[2]);  // below the size: no growth
  EXPECT_EQ(array.GetSize(), 21u);
  EXPECT_EQ(array[3], &g_dummy[2]);
}

TEST(PtrArraySetSize, ZeroReleasesTheBufferButNotTheElements) {
  std::vector<int> journal;
  Tracked a(1, &journal);
  TvPtrArray<Tracked*> array;
  array.Add(&a);
  array.Add(&a);
  array.SetSize(0, -1);
  EXPECT_EQ(array.GetSize(), 0u);
  EXPECT_EQ(array.GetCapacity(), 0u);
  EXPECT_TRUE(journal.empty());
  array.Add(&a);  // a new buffer of exactly one slot
  EXPECT_EQ(array.GetCapacity(), 1u);
}

TEST(PtrArraySetSize, ShrinkingKeepsCapacityAndRegrowingClearsSlots) {
  TvPtrArray<int*> array;
  for (int i = 0; i < 6; ++i) array.Add(&g_dummy[i]);
  uint32_t capacity = array.GetCapacity();
  array.SetSize(2, -1);
  EXPECT_EQ(array.GetSize(), 2u);
  EXPECT_EQ(array.GetCapacity(), capacity);
  EXPECT_EQ(array[1], &g_dummy[1]);
  array.SetSize(4, -1);  // within the capacity: the reused slots read as null
  EXPECT_EQ(array[2], nullptr);
  EXPECT_EQ(array[3], nullptr);
}

TEST(PtrArrayRemoveAt, ClosesTheGapWithoutDestroying) {
  std::vector<int> journal;
  Tracked a(1, &journal), b(2, &journal), c(3, &journal), d(4, &journal);
  TvPtrArray<Tracked*> array;
  for (Tracked* t : {&a, &b, &c, &d}) array.Add(t);
  array.RemoveAt(1, 2);
  ASSERT_EQ(array.GetSize(), 2u);
  EXPECT_EQ(array[0], &a);
  EXPECT_EQ(array[1], &d);
  array.RemoveAt(1, 1);  // the last slot: nothing to move
  ASSERT_EQ(array.GetSize(), 1u);
  EXPECT_EQ(array[0], &a);
  EXPECT_TRUE(journal.empty());
}

TEST(PtrAutoArray, DeleteAtDestroysAndRemovesAndIgnoresAnIndexOutOfRange) {
  std::vector<int> journal;
  TvPtrAutoArray<Tracked*> array;
  array.Add(new Tracked(1, &journal));
  array.Add(new Tracked(2, &journal));
  EXPECT_EQ(array.DeleteAt(2), 0);
  EXPECT_EQ(array.GetSize(), 2u);
  EXPECT_TRUE(journal.empty());
  EXPECT_NE(array.DeleteAt(0), 0);
  EXPECT_EQ(journal, std::vector<int>({1}));
  ASSERT_EQ(array.GetSize(), 1u);
  array.DeleteAll();
  EXPECT_EQ(journal, std::vector<int>({1, 2}));
  EXPECT_EQ(array.GetSize(), 0u);
}

TEST(PtrAutoArray, DestructionDestroysNonNullElementsFirstToLast) {
  std::vector<int> journal;
  {
    TvPtrAutoArray<Tracked*> array;
    array.Add(new Tracked(1, &journal));
    array.Add(nullptr);
    array.Add(new Tracked(2, &journal));
    array.SetAtGrow(5, new Tracked(3, &journal));  // slots 3 and 4 stay null
  }
  EXPECT_EQ(journal, std::vector<int>({1, 2, 3}));
}

struct PlainRecord {
  uint32_t a;
  char name[20];
};

TEST(PtrAutoArray, OwnsPlainRecords) {
  TvPtrAutoArray<PlainRecord*> array;
  for (int i = 0; i < 100; ++i) array.Add(new PlainRecord{static_cast<uint32_t>(i), {}});
  EXPECT_EQ(array[99]->a, 99u);
  EXPECT_NE(array.DeleteAt(50), 0);
  EXPECT_EQ(array[50]->a, 51u);
  // The rest is released by the destructor (the sanitizer build reports any leak).
}

}  // namespace
