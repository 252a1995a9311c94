/** @file
 * AVL tree keyed by unsigned 32-bit values, with the nodes embedded in the
 * caller's records (no allocation). Each key occurs at most once.
 *
 * Not thread-safe: the owner of a tree serialises every call. Depth is bounded
 * by about 1.44 log2(n), so the recursion stays shallow.
 */
#ifndef RT_INTERNAL_AVL_H
#define RT_INTERNAL_AVL_H

#include <rt/types.h>

/** A node: embed it (first or anywhere) in the record the tree holds. */
typedef struct RTAVLU32NODECORE
{
    uint32_t Key;
    struct RTAVLU32NODECORE *pLeft;
    struct RTAVLU32NODECORE *pRight;
    uint8_t uchHeight;
} RTAVLU32NODECORE;
typedef RTAVLU32NODECORE *PRTAVLU32NODECORE;
/** A tree: the root pointer, null when empty. */
typedef PRTAVLU32NODECORE RTAVLU32TREE;

/** Inserts @a pNode under its Key. @returns false (tree unchanged) when the key is already present. */
bool rtAvlU32Insert(RTAVLU32TREE *ppTree, PRTAVLU32NODECORE pNode);
/** Removes the node with @a Key. @returns it, or null when there is none. */
PRTAVLU32NODECORE rtAvlU32Remove(RTAVLU32TREE *ppTree, uint32_t Key);
/** The node with @a Key, or null. */
PRTAVLU32NODECORE rtAvlU32Get(RTAVLU32TREE *ppTree, uint32_t Key);

#endif
