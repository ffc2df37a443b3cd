// The model view (objectName "GLSceneViewer1"): the lit 3D view of a
// model's parts, drawn with OpenGL's fixed-function pipeline, orbited and
// zoomed with the mouse.
#pragma once

#include <QMatrix4x4>
#include <QOpenGLWidget>
#include <vector>

#include "formats/dff/ModelCamera.h"
#include "formats/dff/ModelMesh.h"
#include "formats/dff/ModelScene.h"

// The view matrix of a camera at `eye` looking at the origin with +z up, in
// GL's single precision.
QMatrix4x4 ViewMatrix(const korvane::TCameraPos& eye);

class TModelView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit TModelView(QWidget* parent);
    ~TModelView() override;

    // One mesh per part that has one; empty meshes draw nothing.
    void SetMeshes(std::vector<std::vector<korvane::TMeshVertex>> meshes);
    const std::vector<std::vector<korvane::TMeshVertex>>& Meshes() const { return meshes_; }

    // The assembled view instead: meshes drawn batch by batch, textured by
    // the images of SetImages; blended batches after the others.
    void SetSceneMeshes(std::vector<korvane::TSceneMesh> meshes);
    const std::vector<korvane::TSceneMesh>& SceneMeshes() const { return scene_; }
    // The textures the batches name, uploaded at the next paint.
    void SetImages(std::vector<korvane::TModelImage> images);

    // Line segments (two vertices each) drawn unlit over the meshes: the
    // collision page's boxes and spheres.
    void SetLines(std::vector<korvane::TMeshVertex> lines);
    const std::vector<korvane::TMeshVertex>& Lines() const { return lines_; }
    // Whether back faces are culled (the default); surfaces whose winding
    // says nothing, as collision faces, are drawn from both sides.
    void SetCullBackFaces(bool cull);

    korvane::TCameraPos CameraPosition() const { return camera_; }
    void SetCameraPosition(const korvane::TCameraPos& p);
    // Ten largest radii from the target, keeping the direction.
    void FitCamera(float largestRadius);

    // Handlers, also called by the Qt mouse events. `left`/`right` say which
    // buttons are held.
    void GLSceneViewer1MouseDown(int x, int y);
    void GLSceneViewer1MouseMove(bool left, bool right, int x, int y);
    int LastMouseX() const { return lastMouseX_; }
    int LastMouseY() const { return lastMouseY_; }

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SetUpScene();
    void DrawFlat();
    void DrawScene();
    void UploadImages();
    void DrawLines();

    std::vector<std::vector<korvane::TMeshVertex>> meshes_;
    std::vector<korvane::TSceneMesh> scene_;
    bool sceneMode_ = false;
    std::vector<korvane::TMeshVertex> lines_;
    bool cullBackFaces_ = true;
    std::vector<korvane::TModelImage> images_;
    bool imagesChanged_ = false;
    std::vector<unsigned> textures_;  // GL texture names of images_
    korvane::TCameraPos camera_ = korvane::InitialCameraPos;
    int lastMouseX_ = 0;
    int lastMouseY_ = 0;
};
