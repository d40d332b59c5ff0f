// Typed pointer arrays. TvPtrArray holds pointers it does not own; TvPtrAutoArray owns every
// non-null element and destroys it when the element leaves the array.
//
// Growth: a new array allocates exactly the slots asked for; later growth adds the grow step, or,
// when that is 0 (always, in this program), size / 8 clamped to 4..1024 slots; the buffer never
// shrinks except to nothing.
#pragma once

#include <cstdint>
#include <cstring>

template <typename T>
class TvPtrArray {
 public:
  TvPtrArray() = default;
  virtual ~TvPtrArray() { delete[] m_buffer; }
  TvPtrArray(const TvPtrArray&) = delete;
  TvPtrArray& operator=(const TvPtrArray&) = delete;

  uint32_t GetSize() const { return m_size; }
  uint32_t GetCapacity() const { return m_capacity; }
  T GetAt(uint32_t index) const { return m_buffer[index]; }
  T& operator[](uint32_t index) { return m_buffer[index]; }
  T operator[](uint32_t index) const { return m_buffer[index]; }

  // growStep -1 keeps the present grow step.
  void SetSize(uint32_t newSize, int32_t growStep = -1) {
    if (growStep != -1) m_growStep = static_cast<uint32_t>(growStep);
    if (newSize == 0) {
      delete[] m_buffer;
      m_buffer = nullptr;
      m_size = m_capacity = 0;
      return;
    }
    if (m_buffer == nullptr) {
      m_buffer = new T[newSize];
      for (uint32_t i = 0; i < newSize; ++i) m_buffer[i] = nullptr;
      m_capacity = m_size = newSize;
      return;
    }
    if (newSize <= m_capacity) {
      for (uint32_t i = m_size; i < newSize; ++i) m_buffer[i] = nullptr;
      m_size = newSize;
      return;
    }
    uint32_t step = m_growStep;
    if (step == 0) {
      step = m_size / 8;
      if (step < 4) step = 4;
      if (step > 1024) step = 1024;
    }
    uint32_t newCapacity = m_capacity + step;
    if (newSize > newCapacity) newCapacity = newSize;
    T* grown = new T[newCapacity];
    for (uint32_t i = 0; i < m_size; ++i) grown[i] = m_buffer[i];
    for (uint32_t i = m_size; i < newSize; ++i) grown[i] = nullptr;
    delete[] m_buffer;
    m_buffer = grown;
    m_size = newSize;
    m_capacity = newCapacity;
  }

  uint32_t Add(T element) {
    uint32_t index = m_size;
    SetSize(m_size + 1, -1);
    m_buffer[index] = element;
    return index;
  }

  void SetAtGrow(uint32_t index, T element) {
    if (index >= m_size) SetSize(index + 1, -1);
    m_buffer[index] = element;
  }

  // Removes count slots from index on; the elements are not destroyed.
  void RemoveAt(uint32_t index, uint32_t count = 1) {
    uint32_t after = m_size - index - count;
    if (after != 0) {
      std::memmove(static_cast<void*>(m_buffer + index), m_buffer + index + count,
                   after * sizeof(T));
    }
    m_size -= count;
  }

 protected:
  T* m_buffer = nullptr;
  uint32_t m_size = 0;
  uint32_t m_capacity = 0;
  uint32_t m_growStep = 0;
};

template <typename T>
class TvPtrAutoArray : public TvPtrArray<T> {
 public:
  ~TvPtrAutoArray() override {
    while (this->m_size != 0) DeleteAt(0);
  }

  // Destroys the element at index (a null slot is just removed). 0 when index is out of range.
  int DeleteAt(uint32_t index) {
    if (index >= this->m_size) return 0;
    delete this->m_buffer[index];
    this->RemoveAt(index, 1);
    return 1;
  }

  void DeleteAll() {
    while (this->m_size != 0) DeleteAt(0);
  }
};
