#include "buffer/NameList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace muralto;

namespace {

// The list against a plain vector kept in the same order, through thousands of random
// additions, deletions by index and by name, look-ups and order switches: enough names
// to split blocks, empty them and merge them.
void CheckAgainstModel(bool sorted, unsigned seed) {
    TNameList<int> list(sorted);
    std::vector<std::pair<std::string, int>> model;
    std::mt19937 random(seed);
    auto modelLess = [](const auto& a, const auto& b) { return NameLess(a.first, b.first); };
    auto nameOf = [&](unsigned n) {
        // Mixed case, so the folded order and the byte tie-break both matter.
        return std::string(n % 3 == 0 ? "/Pics/" : "/pics/") + std::to_string(n % 4000) + ".jpg";
    };
    for (int step = 0; step < 12000; ++step) {
        const unsigned op = random() % 100;
        if (op < 55 || model.empty()) {
            const std::string name = nameOf(random());
            const auto [index, added] = list.Add(name, step);
            const auto present = std::find_if(model.begin(), model.end(),
                                              [&](const auto& e) { return e.first == name; });
            ASSERT_EQ(added, present == model.end()) << name;
            if (added) {
                const auto at = list.Sorted() ? std::upper_bound(model.begin(), model.end(),
                                                                 std::pair{name, step}, modelLess)
                                              : model.end();
                ASSERT_EQ(index, at - model.begin()) << name;
                model.insert(at, {name, step});
            } else {
                ASSERT_EQ(index, present - model.begin());
            }
        } else if (op < 80) {
            const int index = int(random() % model.size());
            ASSERT_EQ(list.Take(index), model[size_t(index)].second);
            model.erase(model.begin() + index);
        } else if (op < 90) {
            const std::string name = nameOf(random());
            const auto present = std::find_if(model.begin(), model.end(),
                                              [&](const auto& e) { return e.first == name; });
            ASSERT_EQ(list.Remove(name), present != model.end());
            if (present != model.end())
                model.erase(present);
        } else if (op < 99) {
            const int index = int(random() % model.size());
            ASSERT_EQ(list.Name(index), model[size_t(index)].first);
            ASSERT_EQ(list.IndexOf(model[size_t(index)].first), index);
            ASSERT_EQ(*list.Find(model[size_t(index)].first), model[size_t(index)].second);
        } else {
            list.SetSorted(!list.Sorted());
            if (list.Sorted())
                std::stable_sort(model.begin(), model.end(), modelLess);
        }
        ASSERT_EQ(list.Count(), int(model.size()));
    }
    std::vector<std::string> expected;
    for (const auto& entry : model)
        expected.push_back(entry.first);
    EXPECT_EQ(list.Names(), expected);
    EXPECT_EQ(list.IndexOf("/nowhere.jpg"), -1);
    EXPECT_THROW(list.Name(list.Count()), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
}

} // namespace

TEST(NameListTest, SortedListFollowsTheModel) {
    CheckAgainstModel(true, 1);
    CheckAgainstModel(true, 2);
}

TEST(NameListTest, UnsortedListFollowsTheModel) {
    CheckAgainstModel(false, 3);
}

TEST(NameListTest, AppendingInOrderAndDrainingFromTheFront) {
    // A scan's in-order names, then a draw emptying the list from one end: the blocks
    // split on the way up and vanish on the way down.
    auto nameOf = [](int i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%05d", i);
        return std::string(name);
    };
    TNameList<> list(true);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(list.Add(nameOf(i)).first, i);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(list.Name(0), nameOf(i));
        list.Delete(0);
    }
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(list.Add("again").second);
    EXPECT_EQ(list.IndexOf("again"), 0);
}
