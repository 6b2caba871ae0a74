#include "viewer/lvoutlin.h"

#include "passage/MeshStore.h"
#include "platform/scene/MeshBuilder.h"

namespace lumora::viewer {

using namespace scene;

namespace {

constexpr std::size_t kClassNameLength = 25; // what an item keeps of the class name

} // namespace

void THierarchy::Refresh(const FramePtr& sceneFrame) {
    m_TriangleTotal = 0;
    m_Items.clear();
    m_Selected = 0;
    if (!sceneFrame)
        return;
    AddFrame(sceneFrame, 0);
    m_Selected = 1;
}

void THierarchy::AddFrame(const FramePtr& frame, int level) {
    AddItem(frame, level);
    for (const VisualPtr& visual : frame->GetVisuals())
        AddItem(visual, level + 1);
    for (const LightPtr& light : frame->GetLights())
        AddItem(light, level + 1);
    if (frame->GetTexture())
        AddItem(frame->GetTexture(), level + 1, false);
    for (const FramePtr& child : frame->GetChildren())
        AddFrame(child, level + 1);
}

void THierarchy::AddItem(const SceneObjectPtr& object, int level, bool nameToo) {
    const std::string className = passage::ObjectClassName(object.get());
    THierarchyItem item;
    item.Text = nameToo ? className + " - " + passage::ObjectName(object.get()) : className;
    item.Level = level;
    item.ClassName = className.substr(0, kClassNameLength);
    item.Object = object;
    if (item.ClassName == "Builder")
        if (const auto* mesh = dynamic_cast<const MeshBuilder*>(object.get()))
            m_TriangleTotal += mesh->GetFaceCount();
    m_Items.push_back(std::move(item));
}

void THierarchy::Select(int index) {
    if (index >= 1 && index <= ItemCount())
        m_Selected = index;
}

THierarchyPage THierarchy::Page() const {
    if (m_Selected < 1 || m_Selected > ItemCount())
        return THierarchyPage::UnknownPage;
    return PageForClass(Item(m_Selected).ClassName);
}

THierarchyPage PageForClass(const std::string& className) {
    if (className == "Frame")
        return THierarchyPage::FramePage;
    if (className == "Builder")
        return THierarchyPage::BuilderPage;
    if (className == "ProgressiveMesh")
        return THierarchyPage::ProgPage;
    if (className == "Light")
        return THierarchyPage::LightPage;
    return THierarchyPage::UnknownPage;
}

} // namespace lumora::viewer
