// Base of every scene object: a name, a class name and one word of application data.
#pragma once

#include "platform/scene/SceneMath.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lumora::scene {

class SceneObject : public std::enable_shared_from_this<SceneObject> {
public:
    virtual ~SceneObject() = default;
    // "Frame", "Builder", "Light", "ProgressiveMesh", "Texture", "Shadow", ...
    virtual std::string ClassName() const = 0;

    void SetName(std::string name) { m_Name = std::move(name); }
    const std::string& GetName() const { return m_Name; }
    void SetAppData(std::uint32_t data) { m_AppData = data; }
    std::uint32_t GetAppData() const { return m_AppData; }

private:
    std::string m_Name;
    std::uint32_t m_AppData = 0;
};

// Something a frame can carry as a visual. GetBox gives its bounding box in its own
// coordinates; false when it has no geometry.
class Visual : public SceneObject {
public:
    virtual bool GetBox(Box& box) const = 0;
};

using SceneObjectPtr = std::shared_ptr<SceneObject>;
using VisualPtr = std::shared_ptr<Visual>;

} // namespace lumora::scene
