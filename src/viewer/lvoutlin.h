// The scene hierarchy as a list of items (text, level, class name, object) with the triangle
// total, the page each item's kind shows, and the search for the first object of a kind.
#pragma once

#include "platform/scene/Frame.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lumora::viewer {

// The button page shown for the selected item.
enum class THierarchyPage { FramePage, BuilderPage, ProgPage, LightPage, UnknownPage };

struct THierarchyItem {
    std::string Text;      // class name, " - ", object name (a texture: its class name only)
    int Level = 0;         // 0 for the scene frame, one more per step down the tree
    std::string ClassName; // at most 25 characters, what the page selection compares
    scene::SceneObjectPtr Object;
};

class THierarchy {
public:
    // Rebuilds the list from the scene frame down and selects item 1: per frame its visuals,
    // lights, texture, then its child frames. The total counts the faces of every "Builder" item.
    void Refresh(const scene::FramePtr& sceneFrame);

    // Items numbered 1..ItemCount().
    int ItemCount() const { return int(m_Items.size()); }
    const THierarchyItem& Item(int index) const { return m_Items.at(std::size_t(index) - 1); }
    const std::vector<THierarchyItem>& Items() const { return m_Items; }
    std::size_t TriangleTotal() const { return m_TriangleTotal; }

    int Selected() const { return m_Selected; }
    // Selects item index (ignored outside 1..ItemCount()).
    void Select(int index);
    THierarchyPage Page() const;

    // The selected item's object as a T; empty when there is none or it is no T.
    template <typename T> std::shared_ptr<T> QuerySelected() const {
        if (m_Selected < 1 || m_Selected > ItemCount())
            return {};
        return std::dynamic_pointer_cast<T>(Item(m_Selected).Object);
    }

    // From item start on, the first item whose object is a T: its index and the object.
    template <typename T>
    bool FindFirstObject(int start, int& index, std::shared_ptr<T>& object) const {
        for (int i = std::max(start, 1); i <= ItemCount(); ++i)
            if (auto found = std::dynamic_pointer_cast<T>(Item(i).Object)) {
                index = i;
                object = std::move(found);
                return true;
            }
        return false;
    }

private:
    void AddFrame(const scene::FramePtr& frame, int level);
    void AddItem(const scene::SceneObjectPtr& object, int level, bool nameToo = true);

    std::vector<THierarchyItem> m_Items;
    std::size_t m_TriangleTotal = 0;
    int m_Selected = 0;
};

// The page for a class name.
THierarchyPage PageForClass(const std::string& className);

} // namespace lumora::viewer
