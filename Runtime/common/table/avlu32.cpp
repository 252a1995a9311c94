/** @file
 * AVL tree keyed by unsigned 32-bit values (recursive insert and remove with
 * rebalancing on the way back up).
 */
#include "internal/avl.h"

namespace
{

uint8_t rtAvlU32HeightOf(PRTAVLU32NODECORE pNode)
{
    return pNode ? pNode->uchHeight : 0;
}

void rtAvlU32UpdateHeight(PRTAVLU32NODECORE pNode)
{
    uint8_t const uchLeft = rtAvlU32HeightOf(pNode->pLeft);
    uint8_t const uchRight = rtAvlU32HeightOf(pNode->pRight);
    pNode->uchHeight = (uint8_t)((uchLeft > uchRight ? uchLeft : uchRight) + 1);
}

PRTAVLU32NODECORE rtAvlU32RotateRight(PRTAVLU32NODECORE pNode)
{
    PRTAVLU32NODECORE pTop = pNode->pLeft;
    pNode->pLeft = pTop->pRight;
    pTop->pRight = pNode;
    rtAvlU32UpdateHeight(pNode);
    rtAvlU32UpdateHeight(pTop);
    return pTop;
}

PRTAVLU32NODECORE rtAvlU32RotateLeft(PRTAVLU32NODECORE pNode)
{
    PRTAVLU32NODECORE pTop = pNode->pRight;
    pNode->pRight = pTop->pLeft;
    pTop->pLeft = pNode;
    rtAvlU32UpdateHeight(pNode);
    rtAvlU32UpdateHeight(pTop);
    return pTop;
}

/** Restores the AVL property at @a pNode, whose subtrees are balanced and differ by at most 2. */
PRTAVLU32NODECORE rtAvlU32Rebalance(PRTAVLU32NODECORE pNode)
{
    rtAvlU32UpdateHeight(pNode);
    int const iBalance = (int)rtAvlU32HeightOf(pNode->pLeft) - (int)rtAvlU32HeightOf(pNode->pRight);
    if (iBalance > 1)
    {
        if (rtAvlU32HeightOf(pNode->pLeft->pLeft) < rtAvlU32HeightOf(pNode->pLeft->pRight))
            pNode->pLeft = rtAvlU32RotateLeft(pNode->pLeft);
        return rtAvlU32RotateRight(pNode);
    }
    if (iBalance < -1)
    {
        if (rtAvlU32HeightOf(pNode->pRight->pRight) < rtAvlU32HeightOf(pNode->pRight->pLeft))
            pNode->pRight = rtAvlU32RotateRight(pNode->pRight);
        return rtAvlU32RotateLeft(pNode);
    }
    return pNode;
}

PRTAVLU32NODECORE rtAvlU32InsertInto(PRTAVLU32NODECORE pRoot, PRTAVLU32NODECORE pNode, bool *pfInserted)
{
    if (!pRoot)
    {
        pNode->pLeft = pNode->pRight = NULL;
        pNode->uchHeight = 1;
        *pfInserted = true;
        return pNode;
    }
    if (pNode->Key == pRoot->Key)
        return pRoot;
    if (pNode->Key < pRoot->Key)
        pRoot->pLeft = rtAvlU32InsertInto(pRoot->pLeft, pNode, pfInserted);
    else
        pRoot->pRight = rtAvlU32InsertInto(pRoot->pRight, pNode, pfInserted);
    return rtAvlU32Rebalance(pRoot);
}

/** Unlinks the smallest node of @a pRoot into *ppMin and returns the rebalanced rest. */
PRTAVLU32NODECORE rtAvlU32RemoveMin(PRTAVLU32NODECORE pRoot, PRTAVLU32NODECORE *ppMin)
{
    if (!pRoot->pLeft)
    {
        *ppMin = pRoot;
        return pRoot->pRight;
    }
    pRoot->pLeft = rtAvlU32RemoveMin(pRoot->pLeft, ppMin);
    return rtAvlU32Rebalance(pRoot);
}

PRTAVLU32NODECORE rtAvlU32RemoveFrom(PRTAVLU32NODECORE pRoot, uint32_t Key, PRTAVLU32NODECORE *ppRemoved)
{
    if (!pRoot)
        return NULL;
    if (Key < pRoot->Key)
        pRoot->pLeft = rtAvlU32RemoveFrom(pRoot->pLeft, Key, ppRemoved);
    else if (Key > pRoot->Key)
        pRoot->pRight = rtAvlU32RemoveFrom(pRoot->pRight, Key, ppRemoved);
    else
    {
        *ppRemoved = pRoot;
        if (!pRoot->pRight)
            return pRoot->pLeft;
        PRTAVLU32NODECORE pSuccessor = NULL;
        PRTAVLU32NODECORE pRight = rtAvlU32RemoveMin(pRoot->pRight, &pSuccessor);
        pSuccessor->pLeft = pRoot->pLeft;
        pSuccessor->pRight = pRight;
        pRoot = pSuccessor;
    }
    return rtAvlU32Rebalance(pRoot);
}

} // namespace

bool rtAvlU32Insert(RTAVLU32TREE *ppTree, PRTAVLU32NODECORE pNode)
{
    bool fInserted = false;
    *ppTree = rtAvlU32InsertInto(*ppTree, pNode, &fInserted);
    return fInserted;
}

PRTAVLU32NODECORE rtAvlU32Remove(RTAVLU32TREE *ppTree, uint32_t Key)
{
    PRTAVLU32NODECORE pRemoved = NULL;
    *ppTree = rtAvlU32RemoveFrom(*ppTree, Key, &pRemoved);
    if (pRemoved)
        pRemoved->pLeft = pRemoved->pRight = NULL;
    return pRemoved;
}

PRTAVLU32NODECORE rtAvlU32Get(RTAVLU32TREE *ppTree, uint32_t Key)
{
    PRTAVLU32NODECORE pNode = *ppTree;
    while (pNode && pNode->Key != Key)
        pNode = Key < pNode->Key ? pNode->pLeft : pNode->pRight;
    return pNode;
}
