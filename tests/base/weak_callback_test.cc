#include "base/callback/weak_callback.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

class Counter : public nbase::SupportWeakCallback {
 public:
  void Add(int n) { total_ += n; }
  bool Check() { return true; }
  Counter* Self() { return this; }
  int total() const { return total_; }

 private:
  int total_ = 0;
};

TEST(WeakCallbackTest, CallbacksDieWithTheirOwner) {
  auto owner = std::make_unique<Counter>();
  Counter* raw = owner.get();
  auto add = owner->ToWeakCallback(std::bind(&Counter::Add, raw, std::placeholders::_1));
  auto check = owner->ToWeakCallback([raw] { return raw->Check(); });
  auto self = owner->ToWeakCallback([raw] { return raw->Self(); });

  add(2);
  add(3);
  EXPECT_EQ(owner->total(), 5);
  EXPECT_TRUE(check());
  EXPECT_EQ(self(), raw);
  EXPECT_FALSE(add.Expired());

  owner.reset();  // both callbacks share the one flag, so both die
  add(7);         // would write freed memory if it called through
  EXPECT_TRUE(add.Expired());
  EXPECT_FALSE(check());
  EXPECT_EQ(self(), nullptr);
}

TEST(WeakCallbackTest, CopiesShareTheFlagAndSurviveAsStdFunction) {
  auto owner = std::make_unique<Counter>();
  Counter* raw = owner.get();
  auto callback = owner->ToWeakCallback([raw](int n, const std::string& s) {
    raw->Add(n * static_cast<int>(s.size()));
  });
  std::function<void(int, const std::string&)> as_function = callback;
  auto copy = callback;

  as_function(2, "abc");
  copy(1, "x");
  EXPECT_EQ(owner->total(), 7);

  owner.reset();
  as_function(2, "abc");  // no call: the stored copy shares the dead flag
  EXPECT_TRUE(copy.Expired());
}

TEST(WeakCallbackTest, CancelKillsEarlierCallbacksOnly) {
  Counter target;
  nbase::WeakCallbackFlag flag;
  EXPECT_FALSE(flag.HasUsed());  // nothing is allocated before the first callback

  auto before = flag.ToWeakCallback([&target] { target.Add(1); });
  EXPECT_TRUE(flag.HasUsed());
  flag.Cancel();
  EXPECT_FALSE(flag.HasUsed());
  before();
  EXPECT_EQ(target.total(), 0);

  auto after = flag.ToWeakCallback([&target] { target.Add(10); });
  after();
  before();  // a fresh flag does not revive a callback of the cancelled one
  EXPECT_EQ(target.total(), 10);
  EXPECT_TRUE(before.Expired());
  EXPECT_FALSE(after.Expired());
}

TEST(WeakCallbackTest, GetWeakFlagReturnsTheSameFlagUntilCancelled) {
  nbase::WeakCallbackFlag flag;
  const std::weak_ptr<nbase::WeakFlag> first = flag.GetWeakFlag();
  const std::weak_ptr<nbase::WeakFlag> second = flag.GetWeakFlag();
  EXPECT_EQ(first.lock(), second.lock());

  flag.Cancel();
  const std::weak_ptr<nbase::WeakFlag> third = flag.GetWeakFlag();
  EXPECT_TRUE(first.expired());
  EXPECT_FALSE(third.expired());
}

TEST(WeakCallbackTest, CopyOfAnOwnerDoesNotKeepTheOriginalsCallbacksAlive) {
  auto original = std::make_unique<Counter>();
  Counter* raw = original.get();
  auto callback = original->ToWeakCallback([raw] { raw->Add(1); });

  Counter copy(*original);
  Counter assigned;
  auto assigned_callback = assigned.ToWeakCallback([] {});
  assigned = *original;

  original.reset();
  EXPECT_TRUE(callback.Expired());
  EXPECT_FALSE(assigned_callback.Expired());  // assignment keeps the target's own flag
}

TEST(WeakCallbackTest, MakeWeakCallbackBindsToAnyFlagAndMutableCallables) {
  int calls = 0;
  auto flag = std::make_shared<nbase::WeakFlag>();
  auto callback = nbase::MakeWeakCallback(flag, [&calls, n = 0]() mutable { calls = ++n; });
  callback();
  callback();
  EXPECT_EQ(calls, 2);
  flag.reset();
  callback();
  EXPECT_EQ(calls, 2);
}

}  // namespace
