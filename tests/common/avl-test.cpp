/** @file
 * The 32-bit key AVL tree: ordered contents, balance and heights after
 * insert and remove sequences, duplicates refused, absent keys.
 */
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <vector>
#include "internal/avl.h"

namespace
{

/** Checks order, AVL balance and stored heights; returns the height and collects the keys. */
int checkSubtree(PRTAVLU32NODECORE pNode, std::vector<uint32_t> &aKeys)
{
    if (!pNode)
        return 0;
    int const iLeft = checkSubtree(pNode->pLeft, aKeys);
    aKeys.push_back(pNode->Key);
    int const iRight = checkSubtree(pNode->pRight, aKeys);
    EXPECT_LE(std::abs(iLeft - iRight), 1) << "unbalanced at " << pNode->Key;
    int const iHeight = std::max(iLeft, iRight) + 1;
    EXPECT_EQ(iHeight, pNode->uchHeight) << "stale height at " << pNode->Key;
    return iHeight;
}

void expectTreeHolds(RTAVLU32TREE pTree, std::set<uint32_t> const &Model)
{
    std::vector<uint32_t> aKeys;
    checkSubtree(pTree, aKeys);
    EXPECT_EQ(std::vector<uint32_t>(Model.begin(), Model.end()), aKeys);
}

TEST(AvlU32, InsertRemoveAgainstModel)
{
    std::vector<RTAVLU32NODECORE> aNodes(512);
    RTAVLU32TREE pTree = NULL;
    std::set<uint32_t> Model;
    uint32_t uRand = 12345;
    for (size_t i = 0; i < aNodes.size(); i++)
    {
        uRand = uRand * 1103515245 + 12345;
        aNodes[i].Key = i < 64 ? (uint32_t)i : uRand >> 8; /* an ascending run, then scattered keys */
        bool const fNew = Model.insert(aNodes[i].Key).second;
        EXPECT_EQ(fNew, rtAvlU32Insert(&pTree, &aNodes[i]));
    }
    expectTreeHolds(pTree, Model);

    for (size_t i = 0; i < aNodes.size(); i += 3)
    {
        uint32_t const uKey = aNodes[i].Key;
        PRTAVLU32NODECORE pRemoved = rtAvlU32Remove(&pTree, uKey);
        if (Model.erase(uKey))
        {
            ASSERT_NE(nullptr, pRemoved);
            EXPECT_EQ(uKey, pRemoved->Key);
        }
        else
            EXPECT_EQ(nullptr, pRemoved);
    }
    expectTreeHolds(pTree, Model);
    for (uint32_t uKey : Model)
        EXPECT_NE(nullptr, rtAvlU32Get(&pTree, uKey));
}

TEST(AvlU32, DuplicateAndAbsentKeys)
{
    RTAVLU32NODECORE aNodes[3] = {};
    aNodes[0].Key = 7;
    aNodes[1].Key = 7;
    aNodes[2].Key = 9;
    RTAVLU32TREE pTree = NULL;
    EXPECT_TRUE(rtAvlU32Insert(&pTree, &aNodes[0]));
    EXPECT_FALSE(rtAvlU32Insert(&pTree, &aNodes[1]));
    EXPECT_TRUE(rtAvlU32Insert(&pTree, &aNodes[2]));
    EXPECT_EQ(&aNodes[0], rtAvlU32Get(&pTree, 7));
    EXPECT_EQ(nullptr, rtAvlU32Get(&pTree, 8));
    EXPECT_EQ(nullptr, rtAvlU32Remove(&pTree, 8));
    EXPECT_EQ(&aNodes[0], rtAvlU32Remove(&pTree, 7));
    EXPECT_EQ(&aNodes[2], rtAvlU32Remove(&pTree, 9));
    EXPECT_EQ(nullptr, pTree);
}

} // namespace
