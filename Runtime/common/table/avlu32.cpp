/** @file
 * AVL tree keyed by unsigned 32-bit values (recursive insert and remove with
 * rebalancing on the way back up).
 */
#include "internal/avl.h"

namespace
{

uint8_t heightOf(PRTAVLU32NODECORE pNode)
{
    return pNode ? pNode->uchHeight : 0;
}

void updateHeight(PRTAVLU32NODECORE pNode)
{
    uint8_t const uchLeft = heightOf(pNode->pLeft);
    uint8_t const uchRight = heightOf(pNode->pRight);
    pNode->uchHeight = (uint8_t)((uchLeft > uchRight ? uchLeft : uchRight) + 1);
}

PRTAVLU32NODECORE rotateRight(PRTAVLU32NODECORE pNode)
{
    PRTAVLU32NODECORE pTop = pNode->pLeft;
    pNode->pLeft = pTop->pRight;
    pTop->pRight = pNode;
    updateHeight(pNode);
    updateHeight(pTop);
    return pTop;
}

PRTAVLU32NODECORE rotateLeft(PRTAVLU32NODECORE pNode)
{
    PRTAVLU32NODECORE pTop = pNode->pRight;
    pNode->pRight = pTop->pLeft;
    pTop->pLeft = pNode;
    updateHeight(pNode);
    updateHeight(pTop);
    return pTop;
}

/** Restores the AVL property at @a pNode, whose subtrees are balanced and differ by at most 2. */
PRTAVLU32NODECORE rebalance(PRTAVLU32NODECORE pNode)
{
    updateHeight(pNode);
    int const iBalance = (int)heightOf(pNode->pLeft) - (int)heightOf(pNode->pRight);
    if (iBalance > 1)
    {
        if (heightOf(pNode->pLeft->pLeft) < heightOf(pNode->pLeft->pRight))
            pNode->pLeft = rotateLeft(pNode->pLeft);
        return rotateRight(pNode);
    }
    if (iBalance < -1)
    {
        if (heightOf(pNode->pRight->pRight) < heightOf(pNode->pRight->pLeft))
            pNode->pRight = rotateRight(pNode->pRight);
        return rotateLeft(pNode);
    }
    return pNode;
}

PRTAVLU32NODECORE insertInto(PRTAVLU32NODECORE pRoot, PRTAVLU32NODECORE pNode, bool *pfInserted)
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
        pRoot->pLeft = insertInto(pRoot->pLeft, pNode, pfInserted);
    else
        pRoot->pRight = insertInto(pRoot->pRight, pNode, pfInserted);
    return rebalance(pRoot);
}

/** Unlinks the smallest node of @a pRoot into *ppMin and returns the rebalanced rest. */
PRTAVLU32NODECORE removeMin(PRTAVLU32NODECORE pRoot, PRTAVLU32NODECORE *ppMin)
{
    if (!pRoot->pLeft)
    {
        *ppMin = pRoot;
        return pRoot->pRight;
    }
    pRoot->pLeft = removeMin(pRoot->pLeft, ppMin);
    return rebalance(pRoot);
}

PRTAVLU32NODECORE removeFrom(PRTAVLU32NODECORE pRoot, uint32_t Key, PRTAVLU32NODECORE *ppRemoved)
{
    if (!pRoot)
        return NULL;
    if (Key < pRoot->Key)
        pRoot->pLeft = removeFrom(pRoot->pLeft, Key, ppRemoved);
    else if (Key > pRoot->Key)
        pRoot->pRight = removeFrom(pRoot->pRight, Key, ppRemoved);
    else
    {
        *ppRemoved = pRoot;
        if (!pRoot->pRight)
            return pRoot->pLeft;
        PRTAVLU32NODECORE pSuccessor = NULL;
        PRTAVLU32NODECORE pRight = removeMin(pRoot->pRight, &pSuccessor);
        pSuccessor->pLeft = pRoot->pLeft;
        pSuccessor->pRight = pRight;
        pRoot = pSuccessor;
    }
    return rebalance(pRoot);
}

} // namespace

bool rtAvlU32Insert(RTAVLU32TREE *ppTree, PRTAVLU32NODECORE pNode)
{
    bool fInserted = false;
    *ppTree = insertInto(*ppTree, pNode, &fInserted);
    return fInserted;
}

PRTAVLU32NODECORE rtAvlU32Remove(RTAVLU32TREE *ppTree, uint32_t Key)
{
    PRTAVLU32NODECORE pRemoved = NULL;
    *ppTree = removeFrom(*ppTree, Key, &pRemoved);
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
