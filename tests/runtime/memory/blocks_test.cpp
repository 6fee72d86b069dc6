#include "runtime/memory/blocks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/memory/string_area.h"

namespace {

// The registry alone, with a small string area (4 levels) behind it.
class BlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigureRuntimeMemory(4, kKeepCurrent);
    ASSERT_EQ(InitBlockRegistry(), kOk);
  }
  void TearDown() override {
    (void)ReleaseAllBlocks(true);
    ConfigureRuntimeMemory(kDefaultAreaSizeKiB, kDefaultBlockCapacity);
  }
};

void* RefuseAll(std::size_t) { return nullptr; }

TEST_F(BlockTest, The65thLiveBlockGetsNoHandle) {
  // The area holds two of the 64 entries.
  std::vector<BlockHandle> handles;
  for (int i = 0; i < 62; ++i) {
    BlockHandle h = AllocBlock(kOwnerSortedTable, 16, 0);
    ASSERT_NE(h, kNoHandle) << i;
    handles.push_back(h);
  }
  EXPECT_EQ(AllocBlock(kOwnerSortedTable, 16, 0), kNoHandle);
  EXPECT_EQ(AllocBlockPtr(kOwnerSortedTable, 16), nullptr);
  EXPECT_EQ(NewBuffer(kOwnerSortedTable, 16).status, kErrOutOfMemory);
  // A freed entry is the first candidate again.
  ASSERT_EQ(FreeBlockEntry(kOwnerSortedTable, handles[10]), kOk);
  EXPECT_EQ(AllocBlock(kOwnerSortedTable, 8, 0), handles[10]);
}

TEST_F(BlockTest, OnlyTheOwnerFreesAnIntactBlock) {
  auto* p = static_cast<unsigned char*>(AllocBlockPtr(kOwnerTypedLists, 10));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, p), kErrInternalError);
  EXPECT_EQ(FreeBlock(kOwnerTypedLists, p), kOk);
  EXPECT_EQ(FreeBlock(kOwnerTypedLists, p), kErrMemoryAllocErr);  // no longer tracked
  int local = 0;
  EXPECT_EQ(FreeBlock(kOwnerTypedLists, &local), kErrMemoryAllocErr);
  EXPECT_EQ(FreeBlock(kOwnerTypedLists, nullptr), kErrMemoryAllocErr);
  EXPECT_EQ(FreeBlockEntry(kOwnerTypedLists, 64), kErrBadInputData);
  BlockEntry e{};
  EXPECT_EQ(BlockAt(64, &e), kErrBadInputData);
}

TEST_F(BlockTest, AnOverwrittenGuardKeepsTheBlock) {
  auto* p = static_cast<unsigned char*>(AllocBlockPtr(kOwnerTypedLists, 10));
  ASSERT_NE(p, nullptr);
  p[10] = 'x';  // one byte behind the end: the first guard byte
  EXPECT_EQ(FreeBlock(kOwnerTypedLists, p), kErrMemoryOverflow);
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, p), kErrMemoryOverflow);  // guard is checked first
  EXPECT_EQ(ReleaseAllBlocks(false), kOwnerTypedLists);            // still in use
  p[10] = 0;
  EXPECT_EQ(FreeBlock(kOwnerTypedLists, p), kOk);
}

TEST_F(BlockTest, WriteBlockStaysInsideTheBlock) {
  auto* p = static_cast<unsigned char*>(AllocBlockPtr(kOwnerSortedTable, 100));
  ASSERT_NE(p, nullptr);
  static const char kBytes[200] = {'a', 'b', 'c', 'd'};
  struct Case {
    std::uint16_t offset, length;
    StatusWord status;
  } cases[] = {
      {0, 100, kOk},
      {96, 4, kOk},  // offset + length = size
      {96, 5, kErrDataOutBound},
      {100, 0, kOk},
      {101, 0, kErrDataOutBound},
      {65535, 2, kErrDataOutBound},  // the 16-bit sum would wrap to 1
      {65500, 100, kErrDataOutBound},
  };
  for (const Case& c : cases) {
    std::memset(p, '.', 100);
    EXPECT_EQ(WriteBlock(p, c.offset, MakeDesc(kBytes, c.length)), c.status)
        << c.offset << "+" << c.length;
    if (c.status != kOk) {
      for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], '.') << "written at " << i;
    }
  }
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, p), kOk);  // guard intact after all of them
  int local = 0;
  EXPECT_EQ(WriteBlock(&local, 0, Lit("a")), kErrDataOutBound);
}

TEST_F(BlockTest, WriteBlockReachesPast64KiB) {
  // Blocks above 65,535 bytes (the area's data block) are written in full
  // range of a 16-bit offset, not through a 16-bit view of their size.
  auto* p = static_cast<unsigned char*>(AllocBlockPtr(kOwnerSortedTable, 70000));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(WriteBlock(p, 65000, Lit("xyz")), kOk);
  EXPECT_EQ(std::memcmp(p + 65000, "xyz", 3), 0);
}

TEST_F(BlockTest, SecondInitChangesNothing) {
  const BlockEntry* table = g_runtime_memory.block_table;
  EXPECT_EQ(InitBlockRegistry(), kErrUndefWarning);
  EXPECT_EQ(g_runtime_memory.block_table, table);
  EXPECT_EQ(g_runtime_memory.block_count, 64);
}

TEST_F(BlockTest, ReleaseAllNamesTheHighestOwnerAndFreesOnlyWithForce) {
  EXPECT_EQ(ReleaseAllBlocks(false), kOwnerStringArea);
  EXPECT_EQ(g_runtime_memory.block_count, 64);
  EXPECT_EQ(FreeBytes(), 4u * 1024 - 4);  // the area is still usable
  EXPECT_EQ(ReleaseAllBlocks(true), kOwnerStringArea);
  EXPECT_EQ(g_runtime_memory.block_count, 0);
  EXPECT_EQ(ReleaseAllBlocks(false), kOwnerNone);
  EXPECT_EQ(ReserveTop(4, 0), kErrBadInputData);  // no area any more: refused, not a crash
  ASSERT_EQ(InitBlockRegistry(), kOk);
}

TEST_F(BlockTest, GrowBufferKeepsTheWholeOldCapacity) {
  BufferRecord r = NewBuffer(kOwnerSortedTable, 8);
  ASSERT_EQ(r.status, kOk);
  std::memcpy(r.pointer, "12345678", 8);
  r.used = 3;
  r = GrowBuffer(kOwnerSortedTable, 16, r);
  ASSERT_EQ(r.status, kOk);
  EXPECT_EQ(r.used, 3);
  EXPECT_EQ(r.capacity, 16);
  EXPECT_EQ(std::memcmp(r.pointer, "12345678", 8), 0);
  for (int i = 8; i < 16; ++i) EXPECT_EQ(r.pointer[i], 0) << i;
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, r.pointer), kOk);
}

TEST_F(BlockTest, ReallocThatCannotHoldTheOldBytesKeepsTheOldBlock) {
  auto* old = static_cast<unsigned char*>(AllocBlockPtr(kOwnerSortedTable, 32));
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(ReallocBlock(kOwnerSortedTable, old, 32, 16), nullptr);
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, old), kOk);     // still tracked, still whole
  EXPECT_EQ(ReleaseAllBlocks(false), kOwnerStringArea);  // the new block went back
}

TEST_F(BlockTest, AppendAlignsAndStopsAtTheCapacity) {
  BufferRecord r = NewBuffer(kOwnerSortedTable, 16);
  ASSERT_EQ(r.status, kOk);
  r.used = 5;
  unsigned char* at = AppendToBuffer(kOwnerSortedTable, &r, "abcd", 4, true);
  EXPECT_EQ(at, r.pointer + 8);
  EXPECT_EQ(r.used, 12);
  EXPECT_EQ(std::memcmp(r.pointer + 8, "abcd", 4), 0);
  EXPECT_EQ(AppendToBuffer(kOwnerSortedTable, &r, nullptr, 4, false), r.pointer + 12);
  EXPECT_EQ(r.used, 16);
  EXPECT_EQ(AppendToBuffer(kOwnerSortedTable, &r, "x", 1, false), nullptr);
  EXPECT_EQ(r.status, kErrDataOutBound);
  EXPECT_EQ(AppendToBuffer(kOwnerSortedTable, &r, nullptr, 0, false), nullptr);  // status sticks
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, r.pointer), kOk);

  BufferRecord small = NewBuffer(kOwnerSortedTable, 4);
  EXPECT_EQ(AppendToBuffer(kOwnerSortedTable, &small, nullptr, 5, false), nullptr)
      << "a reservation past the capacity must not hand out memory";
  EXPECT_EQ(FreeBlock(kOwnerSortedTable, small.pointer), kOk);
}

TEST_F(BlockTest, HeapRefusalGivesNullPointersAndStatus145) {
  BlockHeap refuse{&RefuseAll, &std::free};
  BlockHeap previous = SetBlockHeap(&refuse);
  const BlockHandle h = AllocBlock(kOwnerSortedTable, 8, 0);
  EXPECT_NE(h, kNoHandle);  // a handle, but the entry stays free
  BlockEntry e{};
  ASSERT_EQ(BlockAt(h, &e), kOk);
  EXPECT_EQ(e.pointer, nullptr);
  EXPECT_EQ(AllocBlockPtr(kOwnerSortedTable, 8), nullptr);
  EXPECT_EQ(NewBuffer(kOwnerSortedTable, 8).status, kErrOutOfMemory);
  SetBlockHeap(&previous);

  // A registry whose table the heap refuses stays uninitialised.
  (void)ReleaseAllBlocks(true);
  SetBlockHeap(&refuse);
  EXPECT_EQ(InitBlockRegistry(), kErrOutOfMemory);
  EXPECT_EQ(g_runtime_memory.block_count, 0);
  SetBlockHeap(&previous);
  ASSERT_EQ(InitBlockRegistry(), kOk);
}

void* RefuseBig(std::size_t n) { return n > 100000 ? nullptr : std::malloc(n); }

TEST_F(BlockTest, ARefusedAreaBlockFailsTheStartNotALaterPush) {
  (void)ReleaseAllBlocks(true);
  BlockHeap refuse_big{&RefuseBig, &std::free};
  BlockHeap previous = SetBlockHeap(&refuse_big);
  ConfigureRuntimeMemory(512, kKeepCurrent);  // a data block of 512 KiB
  EXPECT_EQ(InitBlockRegistry(), kErrOutOfMemory);
  EXPECT_EQ(PushCopy(Lit("x")), kErrBadInputData);  // no area: refused, never written
  EXPECT_EQ(ReleaseAllBlocks(false), kOwnerNone);   // and nothing left allocated
  SetBlockHeap(&previous);
  (void)ReleaseAllBlocks(true);
  ConfigureRuntimeMemory(4, kKeepCurrent);
  ASSERT_EQ(InitBlockRegistry(), kOk);
}

}  // namespace
