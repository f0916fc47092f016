// kiln::NodePool: the node store of the linked collections (CList, CMap).
//
// Nodes are carved from blocks of `blockSize` nodes, as MFC's block-size constructors ask
// (CStringList(10) allocates ten nodes at a time); a deleted node goes on a free list and is reused
// before a new block is taken. Release() returns every block and may be called only once every node
// handed out has been deleted; the owning collection does so when it is emptied.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include <kiln/platform/runtime/types.h>

namespace kiln {

template <class Node>
class NodePool {
public:
    explicit NodePool(INT_PTR blockSize) : m_blockSize(blockSize > 0 ? (size_t)blockSize : 10) {}
    ~NodePool() { Release(); }
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    template <class... Args>
    Node* New(Args&&... args) {
        if (m_free == nullptr) Grow();
        Slot* slot = m_free;
        m_free = slot->next;  // the node's bytes overlay the link
        try {
            return ::new (static_cast<void*>(slot->bytes)) Node(std::forward<Args>(args)...);
        } catch (...) {
            slot->next = m_free;
            m_free = slot;
            throw;
        }
    }

    void Delete(Node* node) {
        node->~Node();
        Slot* slot = reinterpret_cast<Slot*>(node);
        slot->next = m_free;
        m_free = slot;
    }

    void Release() {
        for (Slot* block : m_blocks) ::operator delete(block);
        m_blocks.clear();
        m_free = nullptr;
    }

private:
    union Slot {
        Slot* next;
        alignas(Node) unsigned char bytes[sizeof(Node)];
    };

    void Grow() {
        Slot* block = static_cast<Slot*>(::operator new(sizeof(Slot) * m_blockSize));
        m_blocks.push_back(block);
        for (size_t i = m_blockSize; i-- > 0;) {
            block[i].next = m_free;
            m_free = &block[i];
        }
    }

    size_t m_blockSize;
    Slot* m_free = nullptr;
    std::vector<Slot*> m_blocks;
};

}  // namespace kiln
