#include "tests/editor/drawn_shapes.h"

#include <cmath>
#include <cstdio>

namespace halcyra::test {
namespace {

constexpr float kThicknessTolerance = 1e-4f;

}  // namespace

std::vector<DrawnShape> DrawnShapes(const plugfw::gfx::test::CallLog& log) {
  std::vector<DrawnShape> shapes;
  DrawnShape path;
  float lastX = 0.f;
  float lastY = 0.f;
  for (const auto& call : log.Calls()) {
    float a = 0.f, b = 0.f, c = 0.f;
    if (call.name == "PathClear") {
      path = DrawnShape();
    } else if (call.name == "PathMoveTo" && std::sscanf(call.text.c_str(), "PathMoveTo %g %g", &a, &b) == 2) {
      lastX = a;
      lastY = b;
    } else if (call.name == "PathLineTo" && std::sscanf(call.text.c_str(), "PathLineTo %g %g", &a, &b) == 2) {
      path.lines.push_back({lastX, lastY, a, b});
      lastX = a;
      lastY = b;
    } else if (call.name == "PathArc" &&
               std::sscanf(call.text.c_str(), "PathArc %g %g %g", &a, &b, &c) == 3) {
      path.arcs.push_back({a, b, c});
    } else if (call.name == "PathStroke" || call.name == "PathFill") {
      DrawnShape shape = path;
      shape.filled = call.name == "PathFill";
      shape.colour = call.pattern.FirstColour();
      shape.thickness = call.thickness;
      shapes.push_back(shape);
    }
  }
  return shapes;
}

std::vector<DrawnText> DrawnTexts(const plugfw::gfx::test::CallLog& log) {
  std::vector<DrawnText> texts;
  for (const auto& call : log.Named("DoDrawText")) {
    const size_t open = call.text.find('\'');
    const size_t close = call.text.find('\'', open + 1);
    texts.push_back({call.text.substr(open + 1, close - open - 1), call.rect, call.textStyle});
  }
  return texts;
}

std::vector<DrawnLine> StrokedLines(const std::vector<DrawnShape>& shapes, plugfw::gfx::Colour colour,
                                    float thickness) {
  std::vector<DrawnLine> lines;
  for (const DrawnShape& shape : shapes) {
    if (shape.filled || shape.colour != colour ||
        std::fabs(shape.thickness - thickness) > kThicknessTolerance)
      continue;
    lines.insert(lines.end(), shape.lines.begin(), shape.lines.end());
  }
  return lines;
}

std::vector<DrawnArc> Circles(const std::vector<DrawnShape>& shapes, plugfw::gfx::Colour colour,
                              bool filled) {
  std::vector<DrawnArc> circles;
  for (const DrawnShape& shape : shapes) {
    if (shape.filled != filled || shape.colour != colour || shape.arcs.size() != 1 || !shape.lines.empty())
      continue;
    circles.push_back(shape.arcs[0]);
  }
  return circles;
}

plugfw::gfx::Rect ShapeBounds(const DrawnShape& shape) {
  bool first = true;
  plugfw::gfx::Rect bounds;
  auto include = [&](float left, float top, float right, float bottom) {
    if (first) {
      bounds = {left, top, right, bottom};
      first = false;
      return;
    }
    bounds = {std::fmin(bounds.left, left), std::fmin(bounds.top, top), std::fmax(bounds.right, right),
              std::fmax(bounds.bottom, bottom)};
  };
  for (const DrawnLine& line : shape.lines) {
    include(std::fmin(line.x1, line.x2), std::fmin(line.y1, line.y2), std::fmax(line.x1, line.x2),
            std::fmax(line.y1, line.y2));
  }
  for (const DrawnArc& arc : shape.arcs)
    include(arc.cx - arc.r, arc.cy - arc.r, arc.cx + arc.r, arc.cy + arc.r);
  return bounds;
}

std::vector<DrawnShape> Fills(const std::vector<DrawnShape>& shapes, plugfw::gfx::Colour colour) {
  std::vector<DrawnShape> fills;
  for (const DrawnShape& shape : shapes) {
    if (shape.filled && shape.colour == colour) fills.push_back(shape);
  }
  return fills;
}

const DrawnText* FindText(const std::vector<DrawnText>& texts, const std::string& text) {
  for (const DrawnText& drawn : texts) {
    if (drawn.text == text) return &drawn;
  }
  return nullptr;
}

}  // namespace halcyra::test
