// SlotPool: objects held in reusable slots, named by slot and generation.
#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

// An id is the slot in its low 32 bits and the slot's generation in its high 32 bits. A
// slot taken again gets a new generation, so an id kept past its object's end (a deadline,
// a queued close, an event of the same wake-up) finds nothing instead of a newcomer.
template <typename T>
class SlotPool
{
public:
    static quint32 slotOf(quint64 id) { return quint32(id); }
    static quint32 generationOf(quint64 id) { return quint32(id >> 32); }
    static quint64 makeId(quint32 slot, quint32 generation) { return (quint64(generation) << 32) | slot; }

    // Stores the object and returns its id.
    quint64 insert(std::unique_ptr<T> object)
    {
        quint32 slot;
        if (!m_free.empty()) {
            slot = m_free.back();
            m_free.pop_back();
        } else {
            slot = quint32(m_objects.size());
            m_objects.emplace_back();
            m_generations.push_back(0);
        }
        m_objects[slot] = std::move(object);
        ++m_count;
        return makeId(slot, ++m_generations[slot]);
    }

    T *find(quint64 id) const
    {
        const quint32 slot = slotOf(id);
        if (slot >= m_objects.size() || m_generations[slot] != generationOf(id))
            return nullptr;
        return m_objects[slot].get();
    }

    // Takes the object out; its id finds nothing from now on.
    std::unique_ptr<T> take(quint64 id)
    {
        if (!find(id))
            return nullptr;
        const quint32 slot = slotOf(id);
        std::unique_ptr<T> object = std::move(m_objects[slot]);
        ++m_generations[slot];
        m_free.push_back(slot);
        --m_count;
        return object;
    }

    qsizetype size() const { return m_count; }

    // Calls f(id, object) for every object held.
    template <typename F>
    void forEach(F f) const
    {
        for (quint32 slot = 0; slot < m_objects.size(); ++slot) {
            if (m_objects[slot])
                f(makeId(slot, m_generations[slot]), *m_objects[slot]);
        }
    }

private:
    std::vector<std::unique_ptr<T>> m_objects;
    std::vector<quint32> m_generations;
    std::vector<quint32> m_free;
    qsizetype m_count = 0;
};
