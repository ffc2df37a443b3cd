#include "app/preview/ModelView.h"

#include <GL/gl.h>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

using namespace korvane;

namespace {

// Each length is the square root of a single-precision sum of squares, as
// GL's utility library took it; QMatrix4x4::lookAt goes through hypot, which
// differs in the last bits and moves a few pixels on the parts' edges.
QVector3D Normalised(QVector3D v)
{
    const float x = v.x(), y = v.y(), z = v.z();
    const float length = float(std::sqrt(x * x + y * y + z * z));
    return length == 0 ? v : QVector3D(x / length, y / length, z / length);
}

}  // namespace

QMatrix4x4 ViewMatrix(const TCameraPos& eye)
{
    const QVector3D from(float(eye.X), float(eye.Y), float(eye.Z));
    const QVector3D forward = Normalised(-from);
    const QVector3D side = Normalised(QVector3D::crossProduct(forward, QVector3D(0, 0, 1)));
    const QVector3D up = QVector3D::crossProduct(side, forward);
    QMatrix4x4 m(side.x(), side.y(), side.z(), 0,  //
                 up.x(), up.y(), up.z(), 0,        //
                 -forward.x(), -forward.y(), -forward.z(), 0,  //
                 0, 0, 0, 1);
    m.translate(-from);
    return m;
}

TModelView::TModelView(QWidget* parent) : QOpenGLWidget(parent)
{
    setObjectName(QStringLiteral("GLSceneViewer1"));
    setAccessibleName(QStringLiteral("GLSceneViewer1"));
    setMinimumSize(16, 16);
}

TModelView::~TModelView()
{
    if (textures_.empty() || !context()) return;
    makeCurrent();
    glDeleteTextures(GLsizei(textures_.size()), textures_.data());
    doneCurrent();
}

void TModelView::SetMeshes(std::vector<std::vector<TMeshVertex>> meshes)
{
    meshes_ = std::move(meshes);
    scene_.clear();
    sceneMode_ = false;
    update();
}

void TModelView::SetSceneMeshes(std::vector<TSceneMesh> meshes)
{
    scene_ = std::move(meshes);
    meshes_.clear();
    sceneMode_ = true;
    update();
}

void TModelView::SetLines(std::vector<TMeshVertex> lines)
{
    lines_ = std::move(lines);
    update();
}

void TModelView::SetCullBackFaces(bool cull)
{
    cullBackFaces_ = cull;
    update();
}

void TModelView::SetImages(std::vector<TModelImage> images)
{
    images_ = std::move(images);
    imagesChanged_ = true;
    update();
}

void TModelView::SetCameraPosition(const TCameraPos& p)
{
    camera_ = p;
    update();
}

void TModelView::FitCamera(float largestRadius) { SetCameraPosition(korvane::FitCamera(camera_, largestRadius)); }

void TModelView::GLSceneViewer1MouseDown(int x, int y)
{
    lastMouseX_ = x;
    lastMouseY_ = y;
}

void TModelView::GLSceneViewer1MouseMove(bool left, bool right, int x, int y)
{
    if (left)
        SetCameraPosition(OrbitCamera(camera_, lastMouseX_ - x, lastMouseY_ - y));
    else if (right)
        SetCameraPosition(ZoomCamera(camera_, lastMouseY_ - y));
    else
        return;
    lastMouseX_ = x;
    lastMouseY_ = y;
}

void TModelView::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    GLSceneViewer1MouseDown(p.x(), p.y());
}

void TModelView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    GLSceneViewer1MouseMove(event->buttons() & Qt::LeftButton, event->buttons() & Qt::RightButton, p.x(), p.y());
}

void TModelView::wheelEvent(QWheelEvent* event)
{
    // The wheel does not zoom.
    event->accept();
}

void TModelView::initializeGL() {}

void TModelView::paintGL()
{
    SetUpScene();
    if (sceneMode_)
        DrawScene();
    else
        DrawFlat();
    DrawLines();
}

void TModelView::DrawLines()
{
    if (lines_.empty()) return;
    glDisable(GL_LIGHTING);
    glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, lines_.data());
    constexpr size_t slice = size_t(INT_MAX / 2) * 2;
    for (size_t first = 0; first < lines_.size(); first += slice)
        glDrawArrays(GL_LINES, GLint(first), GLsizei(std::min(slice, lines_.size() - first)));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_LIGHTING);
}

void TModelView::SetUpScene()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // GL keeps its matrices in single precision: built in floats here they
    // are the very ones glFrustum and a look-at would make.
    const TFrustum f = ViewFrustum(width(), height());
    QMatrix4x4 projection;
    projection.frustum(float(f.Left), float(f.Right), float(f.Bottom), float(f.Top), float(f.Near), float(f.Far));
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection.constData());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(ViewMatrix(camera_).constData());

    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    if (cullBackFaces_)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);

    glEnable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    const GLfloat globalAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    // Given after the view matrix, so the light stays put in world coordinates.
    const GLfloat position[4] = {70, 50, 30, 1};
    const GLfloat ambient[4] = {0.3f, 0.3f, 0.3f, 1};
    const GLfloat diffuse[4] = {0.7f, 0.7f, 0.7f, 1};
    const GLfloat specular[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0);
    glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 180);
    glEnable(GL_LIGHT0);

    const GLfloat black[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
}

void TModelView::DrawFlat()
{
    // Drawn in slices whose vertex counts fit GL's signed sizes.
    constexpr size_t slice = size_t(INT_MAX / 3) * 3;
    for (const auto& mesh : meshes_) {
        for (size_t first = 0; first < mesh.size(); first += slice) {
            const size_t count = std::min(slice, mesh.size() - first);
            glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, mesh.data() + first);
            glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void TModelView::UploadImages()
{
    imagesChanged_ = false;
    if (!textures_.empty()) glDeleteTextures(GLsizei(textures_.size()), textures_.data());
    textures_.assign(images_.size(), 0);
    if (images_.empty()) return;
    glGenTextures(GLsizei(textures_.size()), textures_.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (size_t i = 0; i < images_.size(); ++i) {
        const TModelImage& img = images_[i];
        glBindTexture(GL_TEXTURE_2D, textures_[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, img.Width, img.Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, img.Bgra.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void TModelView::DrawScene()
{
    if (imagesChanged_) UploadImages();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Opaque batches first; then the blended ones, which leave the depth
    // buffer as it is so that they do not hide each other.
    for (const bool blended : {false, true}) {
        if (blended) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glDepthMask(GL_FALSE);
        }
        for (const TSceneMesh& mesh : scene_) {
            if (mesh.Vertices.empty()) continue;
            glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, mesh.Vertices.data());
            for (const TMeshBatch& b : mesh.Batches) {
                if (b.Blend != blended) continue;
                const bool textured = b.Texture >= 0 && size_t(b.Texture) < textures_.size();
                if (textured) {
                    glEnable(GL_TEXTURE_2D);
                    glBindTexture(GL_TEXTURE_2D, textures_[size_t(b.Texture)]);
                } else {
                    glDisable(GL_TEXTURE_2D);
                }
                glDrawArrays(GL_TRIANGLES, GLint(b.First), GLsizei(b.Count));
            }
        }
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}
