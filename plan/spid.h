// CSPID: the set-up data of the machining plan of the active part document
// (stock, turret table, fixtures, start point, safety zone, NC coordinate
// system, post-processor) and the services built on it. One plan instance
// lives at a time (GetSPID); panels edit private copies and assign them back.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "catalogs/param_gadget.h"
#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "model/contour_builder_zagotovka.h"
#include "model/model_tess.h"
#include "model/point_face_sp.h"
#include "plan/stock_tab.h"
#include "platform/dialogs/grid_control.h"
#include "platform/dialogs/list_control.h"
#include "platform/documents/directory_lock.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/tree/tree_control.h"
#include "post/post_processors_list.h"

namespace zarvento {

class PlanTree;

class CSPID {
public:
    static constexpr int kMaxTools = 30;
    static constexpr int kMaxGadgets = 10;
    static constexpr const char* kCaption = "Orbisel";
    static constexpr int kExclamation = 0x30;

    CSPID();
    ~CSPID();
    CSPID(const CSPID&) = delete;
    CSPID& operator=(const CSPID& other);
    // Copies the persistent set-up (see the .cpp for what is left alone).
    void CopyFrom(const CSPID& other);

    // --- accessors ---
    Contour* GetDetailContour() const { return pDetailContour.get(); }
    // Null for an index outside the positions (fixtures) in use.
    ParamTool* GetTool(int i);
    ParamGadget* GetGadget(int i);
    CPostProcessor* GetPostProcessor() const { return pPostProcessor; }
    void SetPostProcessor(CPostProcessor* p) { pPostProcessor = p; }
    // The installed entry named sNamePostProcessor; the current one stays.
    CPostProcessor* FindPostProcessor() const;
    CPostProcessorsList& PostProcessors() { return postProcessors; }
    // Box of the solid of revolution: X max, Y max, Z max, X min, Y min, Z min.
    // Written once per cache; nothing is written without a contour.
    void GetDetailExtents(double& xmax, double& ymax, double& zmax, double& xmin, double& ymin, double& zmin);
    void GetSourceExtents(double& xmax, double& ymax, double& zmax, double& xmin, double& ymin, double& zmin);
    // "Прокат", "Поковка", "Вытяжка", "Отливка"; null for any other value.
    const char* GetSposobStockName() const;
    std::shared_ptr<LocalCoordinateSystem> GetLSC() const { return pLSC; }
    const std::string& GetFileModelSour() const { return sFileModelSour; }
    const CContourBuilderZagotovka& StockBuilder() const { return stockBuilder; }
    // The builder mirrors the stock fields (after a load or an assignment).
    void RefreshStockBuilder();

    // --- services ---
    // Current post-processor from the name, its description read; a message
    // when it is missing.
    void CheckPostProcessor();
    // Loads the tool models and builds the tools' 2D contours in a hidden
    // document: every position in use for kAllPositions, else that position.
    static constexpr int kAllPositions = -1000;
    void CreateContourTool(int position);
    // The stock contour, simplified; null with a stock tab attached or
    // nothing built. The caller owns it.
    std::unique_ptr<Contour> CreateSourceContour();
    void FillToolsTable(GridControl& grid, int current) const;
    void FillGadgetsList(ListControl& list) const;
    // --- display in the part view (the busy flag keeps its value) ---
    void ToggleShowSource();
    void HideSource();
    void ToggleShowLSC();
    // The coordinate system's model from "TESS/LSK.rdp" in the library folder.
    void CreateLSCModel();
    void DeleteLSCModel() { pLSCModel.reset(); }
    void ToggleShowGadgets();
    void RebuildGadgetModels();
    void SetGadgetsRotated(bool on);

    // Shows only the first error of this plan instance.
    void ShowError(const std::string& text);
    void InsertLSCTreeNode(PlanTree* tree);
    void UpdateLSCTreeItems();
    void InsertSPIDTreeNode(PlanTree* tree);
    void UpdateSPIDTreeItems();
    // The start-point marker: drawn at the start point, hidden, or removed
    // from the view.
    void ShowStartPoint();
    void HideStartPoint();
    void RemoveStartPoint();

    // --- records in the document ---
    static constexpr const char* kSPIDRecord = "Zarvento.SPID";
    static constexpr const char* kLSCRecord = "Zarvento.LSC";
    static constexpr const char* kToolsRecord = "Zarvento.TOOLS1";
    static constexpr const char* kGadgetsRecord = "Zarvento.GADGETS1";
    // The set-up record with its ".Stock" contour, then the tools and the
    // fixtures; false when the record cannot be opened for writing.
    bool Save_SPID();
    // False, the plan unchanged, when the document has no set-up record. A
    // value that cannot be converted raises HostError (the fields read before
    // it keep their new values).
    bool Load_SPID();
    // The NC coordinate system and the post-processor name.
    void Save_LSC_CNC();
    // False when the record is missing; a coordinate system no longer in the
    // part is dropped and reported.
    bool Load_LSC_CNC();
    // The turret table and the fixtures: a count, then one record per entry.
    // A stored count is clamped to the table.
    void SaveTools();
    void SaveGadgets();
    bool LoadTools();
    bool LoadGadgets();
    // Finds the model files of the tools and fixtures in use again and saves
    // the records of those found (a relocated model keeps its new path).
    void UpdateModelFiles();
    void RemoveLSCRecord();
    void RemoveSPIDRecord();
    // Replaces the turret table by the one stored in another part file; false
    // when the file cannot be opened, is not a part or holds no table (each
    // after its message). An empty path asks for nothing and gives true.
    bool ImportToolsTable(const std::string& path);

    // The name a tools-table row shows: one blank before the first "(" (or
    // at the end) dropped, the "(" part after exactly one blank.
    static std::string ToolDisplayName(const std::string& name);

    // ---- fields ----
    std::string sessionDirectory;
    // Held while the session directory lives, so other sessions' sweeps pass it by.
    DirectoryLock sessionLock;
    bool isShowLSC = false;
    bool isShowSource = false;
    bool isShowGadgets = false;
    StockTab* pStockTab = nullptr;
    bool isNewPlan = true;
    std::shared_ptr<LocalCoordinateSystem> pLSC;
    std::int32_t SposobBuildSource = CContourBuilderZagotovka::kBar;
    std::int32_t nSposobStock = 0;
    std::unique_ptr<Contour> pDetailContour;
    std::unique_ptr<Contour> pContourSourDetail;
    std::unique_ptr<Contour> pSourceContour;
    std::shared_ptr<HostSketch> pSourceSketch;
    std::string sFileModelSour;
    std::string sRefrModelSour;
    double ProkatL = 0.0, ProkatD = 0.0, Prokatd = 0.0, ProkatZ = 0.0;
    CContourBuilderZagotovka stockBuilder;
    // NC-system group, its post-processor and coordinate-system lines; the
    // stock-and-tools group, its turret and start-point lines.
    TreeItem hLSCGroup = kNoTreeItem, hPostLine = kNoTreeItem, hLSCLine = kNoTreeItem;
    TreeItem hSPIDGroup = kNoTreeItem, hTurretLine = kNoTreeItem, hStartLine = kNoTreeItem;
    std::array<TreeItem, kMaxTools> hToolLines{};
    CPostProcessorsList postProcessors;
    CPostProcessor* pPostProcessor = nullptr;
    std::string sNamePostProcessor;
    double Xplane = 25.0, Zplane = 10.0;
    std::int32_t Npositions = 8;
    std::array<ParamTool, kMaxTools> tools;
    double X0tool = 100.0, Z0tool = 100.0;
    bool isReferent = false;
    double innerPointZ = 0.0, innerPointX = 0.0;
    std::string errorText;
    bool isPripuskZ = false;
    double PripuskZ = 0.0;
    std::unique_ptr<CModelTess> pLSCModel;
    bool isSourceExtents = false;
    bool isDetailExtents = false;
    std::int32_t Ngadgets = 0;
    std::array<ParamGadget, kMaxGadgets> gadgets;
    C3DPointFace_SP startPointMarker;

private:
    // Tree control of the plan tree when both exist.
    static TreeControl* TreeOf(PlanTree* tree);
};

// The plan instance, made (with its session directory) on first use.
CSPID* GetSPID();
// The plan instance or null, without making one.
CSPID* ExistingSPID();
// Removes the session directory and destroys the instance; null afterwards.
void DeleteSPID();

// Makes the source contour when there is none and draws it in the stock colour.
void CreateTessellationSource(CSPID& spid);

// Builds the part contour in the NC coordinate system, the inner point and
// the marker size; false (after its message) when there is none.
bool RecognizeDetailContour(CSPID& spid);
// How many times the part contour could not be built from the part with an NC
// coordinate system set, since the process state was last reset: a command
// during which it grows did not work on the part.
int SectionFailureCount();

}  // namespace zarvento
